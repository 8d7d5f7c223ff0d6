#include "system_info.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <malloc.h>

#include <fstream>
#include <string>
#include <thread>
#include <type_traits>

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "folder.h"
#include "joystick.h"
#include "host_test_util.h"
#include "test_support.h"

namespace {

size_t allocated_bytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

const char* kCpuInfo =
    "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu MHz\t\t: 2400.999\nstepping\t: 3\n\n"
    "processor\t: 1\nvendor_id\t: GenuineIntel\ncpu MHz\t\t: 1800.5\nstepping\t: 3\n\n"
    "processor\t: 2\nvendor_id\t: GenuineIntel\ncpu MHz: 800\n\n"
    "processor\t: 3\nvendor_id\t: GenuineIntel\ncpu MHz\t\t: 3000\n";

const char* kMemInfo =
    "MemTotal:        2048000 kB\nMemFree:         1025023 kB\nBuffers: 5 kB\n"
    "SwapTotal:             0 kB\nSwapFree:              0 kB\n";

class SystemInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ht::host_name_in_hosts_file()) GTEST_SKIP() << "the host name would be looked up outside";
    dir = zt::make_temp_dir("proc");
    zt::write_text(dir + "/cpuinfo", kCpuInfo);
    zt::write_text(dir + "/meminfo", kMemInfo);
    cpuinfo = dir + "/cpuinfo";
    meminfo = dir + "/meminfo";
    js = dir + "/js%d";
    joystick_device_patterns[0] = js.c_str();
    joystick_device_patterns[1] = js.c_str();
  }
  void TearDown() override {
    free_system_info(&info);
    system_info_sources = saved;
  }
  void use_fixtures() { system_info_sources = {cpuinfo.c_str(), meminfo.c_str()}; }
  // A cpuinfo of n bare processor blocks.
  void use_processors(int n) {
    std::string text;
    for (int i = 0; i < n; i++) text += "processor\t: " + std::to_string(i) + "\ncpu MHz\t: 100\n\n";
    zt::write_text(cpuinfo, text);
    use_fixtures();
  }
  std::string dir, cpuinfo, meminfo, js;
  SYSTEM_INFO_SOURCES saved = system_info_sources;
  SYSTEM_INFO info;
};

TEST_F(SystemInfo, FromFixtures) {
  use_fixtures();
  read_system_info(&info);
  ASSERT_EQ(info.processor_count, 4);
  EXPECT_EQ(std::vector<INT_S32>(info.processor_mhz, info.processor_mhz + 4),
            (std::vector<INT_S32>{2400, 1800, 800, 3000}));
  EXPECT_EQ(info.vendor, 2);
  EXPECT_EQ(info.reserved, 0);
  EXPECT_EQ(info.memory_total, 2000);
  EXPECT_EQ(info.memory_swap_total, 2000);  // no swap
  EXPECT_EQ(info.memory_free, 1000);
  EXPECT_EQ(info.memory_swap_free, 1000);
  EXPECT_EQ(info.joystick_present, 0);
  zt::write_bytes(dir + "/js0", {});
  read_system_info(&info);
  EXPECT_EQ(info.joystick_present, 1);
}

TEST_F(SystemInfo, SwapCountsWithTheMemory) {
  use_fixtures();
  zt::write_text(meminfo, "SwapFree:   512000 kB\nMemFree: 1024000 kB\nSwapTotal:\t1536000 kB\n"
                          "MemTotal: 4096000 kB\n");
  read_system_info(&info);
  EXPECT_EQ(info.memory_total, 4000);
  EXPECT_EQ(info.memory_free, 1000);
  EXPECT_EQ(info.memory_swap_total, 5500);
  EXPECT_EQ(info.memory_swap_free, 1500);
}

// The count is the file's "processor" lines, however many; a file without
// any leaves it to the C library's count of this machine.
TEST_F(SystemInfo, ProcessorsAreTheProcessorLinesOfTheFile) {
  const INT_S32 machine = static_cast<INT_S32>(sysconf(_SC_NPROCESSORS_CONF));
  ASSERT_GE(machine, 1);
  struct Case {
    const char* what;
    std::string text;
    INT_S32 count;
  } cases[] = {
      {"four blocks", kCpuInfo, 4},
      {"one block", "processor\t: 0\n", 1},
      {"no processor line", "vendor_id\t: GenuineIntel\ncpu MHz\t: 800\n", machine},
      {"an empty file", "", machine},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    zt::write_text(cpuinfo, c.text);
    use_fixtures();
    read_system_info(&info);
    EXPECT_EQ(info.processor_count, c.count);
  }
  // More than an exit status holds.
  use_processors(300);
  read_system_info(&info);
  ASSERT_EQ(info.processor_count, 300);
  EXPECT_EQ(info.processor_mhz[299], 100);
}

namespace received {
volatile sig_atomic_t interrupts = 0;
void count_interrupt(int) { interrupts = interrupts + 1; }
}  // namespace received

// A Ctrl-C that arrives while the processors are counted reaches the
// program's handler (a shell run for the count would make the process
// ignore it). The count's file is a FIFO the test writes, so the signal is
// sent while the count reads, not at a guessed moment.
TEST_F(SystemInfo, AnInterruptWhileTheProcessorsAreCountedIsTaken) {
  const std::string fifo = dir + "/cpuinfo-fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  system_info_sources = {fifo.c_str(), meminfo.c_str()};
  struct sigaction action = {}, previous = {};
  action.sa_handler = received::count_interrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ASSERT_EQ(sigaction(SIGINT, &action, &previous), 0);
  received::interrupts = 0;
  bool taken_while_counting = false;
  std::thread writer([&] {
    const int fd = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);  // waits for the reader
    if (fd < 0) return;
    kill(getpid(), SIGINT);
    for (int waited = 0; waited < 5000 && !received::interrupts; waited++) usleep(1000);
    taken_while_counting = received::interrupts == 1;
    const std::string text = "processor\t: 0\nprocessor\t: 1\nprocessor\t: 2\n";
    ssize_t written = write(fd, text.data(), text.size());
    (void)written;
    close(fd);
  });
  read_system_info(&info);
  writer.join();
  sigaction(SIGINT, &previous, nullptr);
  EXPECT_TRUE(taken_while_counting);
  EXPECT_EQ(received::interrupts, 1);
  EXPECT_EQ(info.processor_count, 3);
}

TEST_F(SystemInfo, DroppedRecordReleasesItsArrays) {
  EXPECT_FALSE(std::is_copy_constructible_v<SYSTEM_INFO>);
  EXPECT_FALSE(std::is_copy_assignable_v<SYSTEM_INFO>);
  use_processors(250);  // a kilobyte of clock entries per record
  { SYSTEM_INFO warm; read_system_info(&warm); }
  const size_t before = allocated_bytes();
  for (int i = 0; i < 8; i++) {
    SYSTEM_INFO each;
    read_system_info(&each);
    ASSERT_EQ(each.processor_count, 250);
  }
  EXPECT_LT(static_cast<long long>(allocated_bytes()) - static_cast<long long>(before), 1000);
  // Freed by hand first, then dropped: released once.
  SYSTEM_INFO* twice = new SYSTEM_INFO;
  read_system_info(twice);
  free_system_info(twice);
  delete twice;
}

TEST_F(SystemInfo, AgreesWithThisMachine) {
  read_system_info(&info);
  struct utsname names;
  ASSERT_EQ(uname(&names), 0);
  EXPECT_EQ(std::string(info.os_text), std::string(names.release) + " " + names.version + "\n");
  EXPECT_EQ(info.os_id, 1);
  EXPECT_EQ(info.os_code, 256u);

  std::ifstream cpu("/proc/cpuinfo");
  std::string line;
  int processors = 0;
  while (std::getline(cpu, line)) processors += line.rfind("processor", 0) == 0;
  EXPECT_EQ(info.processor_count, processors > 0 ? processors : sysconf(_SC_NPROCESSORS_CONF));

  char host[256] = {0};
  gethostname(host, sizeof host - 1);
  EXPECT_EQ(std::string(info.host_name), std::string(host).substr(0, std::string(host).find('.')));
  EXPECT_EQ(std::string(info.network_host_name), std::string(host).substr(0, 99));

  std::ifstream mem("/proc/meminfo");
  long long total = 0;
  while (std::getline(mem, line))
    if (line.rfind("MemTotal:", 0) == 0) total = std::stoll(line.substr(9));
  EXPECT_EQ(info.memory_total, total / 1024);
  EXPECT_GE(info.memory_swap_total, info.memory_total);

  ASSERT_EQ(info.drive_count, count_drives());
  ASSERT_GE(info.drive_count, 3);
  struct statvfs root;
  ASSERT_EQ(statvfs("/", &root), 0);
  double expected = double(root.f_bavail) * root.f_frsize / 1048576.0;
  EXPECT_NEAR(info.drive_free_mb[2], expected, 64 + expected / 100);

  EXPECT_EQ(info.mouse_buttons, 3);
  for (INT_U8 marker : {info.os_markers[0], info.os_markers[1], info.memory_marker,
                        info.drive_markers[0], info.drive_markers[1], info.network_markers[0],
                        info.network_markers[1], info.mouse_marker})
    EXPECT_EQ(marker, 1);
  EXPECT_EQ(info.last, 0);
}

TEST(SystemInfoFreeSpace, Megabytes) {
  struct Case {
    INT_U64 blocks, size;
    INT_U32 megabytes;
  } cases[] = {
      {1000, 4096, 3},
      {0, 4096, 0},
      {3, 2u << 20, 6},          // blocks above 1 MiB
      {1, 1u << 30, 1024},
      {1ull << 40, 1u << 20, 0xFFFFFFFFu},  // saturates
      {~0ull, ~0ull, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) EXPECT_EQ(free_megabytes(c.blocks, c.size), c.megabytes);
}

}  // namespace
