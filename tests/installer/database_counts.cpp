// Table counts: the smallest real records pass the size check in every
// version band; a count the data cannot hold is refused before anything is
// allocated.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "database.h"
#include "database_bytes.h"

namespace {

class DatabaseCounts : public ::testing::Test {
 protected:
  void SetUp() override { database_system_info_reader = dbt::quiet_system_info; }
};

bool read_into(DATABASE& db, const dbt::RecordContents& spec) {
  MEMORY_DEVICE m = dbt::device_of(dbt::record(spec));
  return db.get_from_data_device(&m);
}

TEST_F(DatabaseCounts, SmallestRecordsReadInEveryVersionBand) {
  for (int version : {1, 2, 3, 5, 6, 7}) {
    SCOPED_TRACE(version);
    dbt::RecordContents spec;
    spec.version = version;
    spec.empty_texts = true;
    spec.items = {dbt::RecordContents::Item(), dbt::RecordContents::Item(), dbt::RecordContents::Item()};
    spec.items[0].files = 3;
    spec.items[2].shortcuts = 2;
    spec.items[2].files = 1;
    spec.languages = {"a", "b"};
    DATABASE db;
    ASSERT_TRUE(read_into(db, spec));
    EXPECT_EQ(db.item_count, 3);
    EXPECT_EQ(db.items[0].file_count, 3);
    EXPECT_EQ(db.items[2].shortcut_count, 2);
    // The language table is the record's last: the data left is exactly
    // the two smallest languages.
    EXPECT_EQ(db.language_count, 2);
    EXPECT_STREQ(db.languages[1].item_names[2], "");
  }
}

// Runs the checks with an allocator that refuses big blocks instead of
// ending the process, so any allocation sized by a damaged count shows.
TEST_F(DatabaseCounts, HugeCountsWithLittleDataAreRefused) {
  if (!getenv("ZORV_COUNTS_CHILD")) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      setenv("ZORV_COUNTS_CHILD", "1", 1);
      setenv("ASAN_OPTIONS", "allocator_may_return_null=1:max_allocation_size_mb=64:detect_leaks=0", 1);
      execl("/proc/self/exe", "counts", "--gtest_filter=DatabaseCounts.HugeCountsWithLittleDataAreRefused",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    return;
  }
  DATABASE db;
  {
    dbt::RecordContents spec;
    spec.claimed_items = 32767;
    ASSERT_FALSE(read_into(db, spec));
    EXPECT_EQ(db.items, nullptr);
    EXPECT_EQ(db.item_count, 0);
  }
  {
    dbt::RecordContents spec;
    spec.claimed_languages = 32767;
    ASSERT_FALSE(read_into(db, spec));
    EXPECT_EQ(db.item_count, 1);
    EXPECT_EQ(db.languages, nullptr);
    EXPECT_EQ(db.language_count, 0);
  }
  {
    dbt::RecordContents spec;
    spec.items[0].claimed_files = 32767;
    ASSERT_FALSE(read_into(db, spec));
    ASSERT_EQ(db.item_count, 1);
    EXPECT_EQ(db.items[0].files, nullptr);
    EXPECT_EQ(db.items[0].file_count, 0);
  }
  {
    dbt::RecordContents spec;
    spec.items[0].claimed_shortcuts = 32767;
    ASSERT_FALSE(read_into(db, spec));
    ASSERT_EQ(db.item_count, 1);
    EXPECT_EQ(db.items[0].shortcuts, nullptr);
  }
  {
    // Counts above 32767 do not fit the tables' counts, whatever follows.
    dbt::RecordContents spec;
    spec.claimed_items = 40000;
    ASSERT_FALSE(read_into(db, spec));
    EXPECT_EQ(db.items, nullptr);
  }
  db.reset();
}

}  // namespace
