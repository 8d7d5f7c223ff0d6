#include "system_info.h"

#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "folder.h"
#include "input.h"
#include "joystick.h"
#include "sockets.h"

SYSTEM_INFO_SOURCES system_info_sources = {
    "/proc/cpuinfo",
    "/proc/meminfo",
};

namespace {

bool begins_with(const char* line, const char* prefix) {
  return strncmp(line, prefix, strlen(prefix)) == 0;
}

// The number after `label` when the line begins with it, with blanks and
// ':' skipped; whole part only.
bool labelled_number(const char* line, const char* label, long long* out) {
  if (!begins_with(line, label)) return false;
  const char* p = line + strlen(label);
  while (*p == ' ' || *p == '\t' || *p == ':') p++;
  *out = strtoll(p, nullptr, 10);
  return true;
}

INT_S32 to_s32(long long value) {
  return value > 0x7FFFFFFF ? 0x7FFFFFFF : value < -0x7FFFFFFF ? -0x7FFFFFFF
                                                                 : static_cast<INT_S32>(value);
}

// One line at a time, however long.
template <typename F>
void for_each_line(const char* path, F f) {
  FILE* file = fopen(path, "r");
  if (!file) return;
  char* line = nullptr;
  size_t size = 0;
  while (getline(&line, &size, file) >= 0) f(line);
  free(line);
  fclose(file);
}

// One read of the cpuinfo file gives the count ("processor" lines) and each
// processor's clock. Counted in the process: a shell run through system()
// would make the program ignore the user's Ctrl-C while it runs, and its
// exit status holds only eight bits. A file without "processor" lines
// leaves the count to the C library.
void read_processors(SYSTEM_INFO* info) {
  std::vector<INT_S32> clocks;
  info->vendor = 0;
  for_each_line(system_info_sources.cpuinfo_path, [&](const char* line) {
    if (begins_with(line, "processor")) {
      clocks.push_back(0);
    } else if (begins_with(line, "vendor_id")) {
      if (strstr(line, "Intel"))
        info->vendor = 2;
      else if (strstr(line, "AMD"))
        info->vendor = 1;
    } else if (long long mhz; labelled_number(line, "cpu MHz", &mhz)) {
      if (!clocks.empty()) clocks.back() = to_s32(mhz);
    }
  });
  long long count = static_cast<long long>(clocks.size());
  if (count == 0) count = sysconf(_SC_NPROCESSORS_CONF);
  info->processor_count = count < 1 ? 1 : to_s32(count);
  info->processor_mhz = new INT_S32[info->processor_count]();
  std::copy(clocks.begin(), clocks.begin() + std::min<size_t>(clocks.size(), info->processor_count),
            info->processor_mhz);
}

void read_memory(SYSTEM_INFO* info) {
  long long total = 0, free_kb = 0, swap_total = 0, swap_free = 0;
  const struct {
    const char* label;
    long long* value;
  } fields[] = {{"MemTotal:", &total}, {"MemFree:", &free_kb}, {"SwapTotal:", &swap_total},
                {"SwapFree:", &swap_free}};
  for_each_line(system_info_sources.meminfo_path, [&](const char* line) {
    for (const auto& field : fields)
      if (labelled_number(line, field.label, field.value)) break;
  });
  info->memory_total = to_s32(total / 1024);
  info->memory_swap_total = to_s32(swap_total / 1024 + total / 1024);
  info->memory_free = to_s32(free_kb / 1024);
  info->memory_swap_free = to_s32(swap_free / 1024 + free_kb / 1024);
}

}  // namespace

INT_U32 free_megabytes(INT_U64 blocks_available, INT_U64 block_size) {
  unsigned __int128 megabytes =
      static_cast<unsigned __int128>(blocks_available) * block_size / 1048576u;
  return megabytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<INT_U32>(megabytes);
}

SYSTEM_INFO::~SYSTEM_INFO() { free_system_info(this); }

void free_system_info(SYSTEM_INFO* info) {
  if (!info) return;
  free(info->os_text);
  info->os_text = nullptr;
  delete[] info->processor_mhz;
  info->processor_mhz = nullptr;
  delete[] info->drive_free_mb;
  info->drive_free_mb = nullptr;
}

void read_system_info(SYSTEM_INFO* info) {
  if (!info) return;
  FOLDER drive;
  free_system_info(info);

  struct utsname names;
  if (uname(&names) != 0) memset(&names, 0, sizeof names);
  info->os_id = 1;
  info->os_code = 256;
  std::string os = std::string(names.release) + " " + names.version + "\n";
  info->os_text = strdup(os.c_str());
  info->os_markers[0] = info->os_markers[1] = 1;

  if (gethostname(info->host_name, sizeof info->host_name) == 0) {
    info->host_name[sizeof info->host_name - 1] = '\0';
    if (char* dot = strchr(info->host_name, '.')) *dot = '\0';
  } else {
    info->host_name[0] = '\0';
  }

  read_processors(info);
  info->reserved = 0;
  read_memory(info);

  info->memory_marker = 1;
  info->drive_count = static_cast<INT_S16>(count_drives());
  info->drive_free_mb = new INT_U32[info->drive_count > 0 ? info->drive_count : 1]();
  for (INT_S16 n = 0; n < info->drive_count; n++) {
    struct statfs stats;
    if (drive.set_to_drive(static_cast<INT_U16>(n)) &&
        statfs(drive.native_path_text(nullptr), &stats) == 0)
      info->drive_free_mb[n] = free_megabytes(stats.f_bavail, static_cast<INT_U64>(stats.f_bsize));
  }

  info->drive_markers[0] = info->drive_markers[1] = 1;
  snprintf(info->network_host_name, sizeof info->network_host_name, "%s", get_host_name());
  snprintf(info->host_address, sizeof info->host_address, "%s",
           info->network_host_name[0] ? get_host_address_text(info->network_host_name) : "");

  info->network_markers[0] = info->network_markers[1] = 1;
  info->mouse_buttons = static_cast<INT_U16>(get_mouse_button_count());
  info->mouse_marker = 1;
  INT_S32 joystick = find_joystick(1);
  info->joystick_present = joystick >= 0;
  if (joystick >= 0) close(joystick);
  info->last = 0;
  info->can_desktop_shortcut = 1;
  info->can_menu_entry = 1;
  info->has_drive_list = 1;
}
