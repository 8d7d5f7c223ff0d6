// The page sequence over every page, language and item count, the automatic
// option and the documents the package holds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "database.h"
#include "database_bytes.h"
#include "package.h"
#include "test_support.h"

namespace {

struct Case {
  int languages, items;
  bool automatic, licence, readme;
};

// The two tables, page by page.
INT_S32 expected_next(INT_S32 page, const Case& c) {
  const INT_S32 choice = c.items > 1 ? 5 : 6;
  switch (page) {
    case 2: return c.languages > 1 && !c.automatic ? 3 : c.licence ? 4 : choice;
    case 3: return c.licence ? 4 : choice;
    case 4: return choice;
    case 5: return 6;
    case 6: return 7;
    case 7: return c.readme ? 8 : 9;
    case 8: case 9: return 9;
    default: return 2;
  }
}

INT_S32 expected_previous(INT_S32 page, const Case& c) {
  const INT_S32 as_for_4 = c.languages > 1 ? 3 : 2;
  switch (page) {
    case 4: return as_for_4;
    case 5: return c.licence ? 4 : as_for_4;
    case 6: return c.items > 1 ? 5 : c.licence ? 4 : as_for_4;
    case 7: return 6;
    case 8: return 7;
    case 9: return c.readme ? 8 : 7;
    default: return 2;
  }
}

// A package holding the documents of language `language` only.
PACKAGE* package_with(const std::string& dir, int language, bool licence, bool readme) {
  FOLDER folder;
  EXPECT_TRUE(folder.set_if_directory(dir.c_str()));
  zt::write_text(dir + "/doc.txt", "text");
  const std::string name = "p" + std::to_string(licence) + std::to_string(readme) + ".pkg";
  PACKAGE* package = new PACKAGE(&folder, name.c_str(), 1, 1024, 0);
  const std::string n = std::to_string(language);
  // Near misses that must not count as documents.
  EXPECT_TRUE(package->store_file(&folder, "doc.txt", ("licence-" + n + "x").c_str()));
  EXPECT_TRUE(package->store_file(&folder, "doc.txt", "readme-"));
  if (licence) {
    EXPECT_TRUE(package->store_file(&folder, "doc.txt", ("licence-" + n).c_str()));
  }
  if (readme) {
    EXPECT_TRUE(package->store_file(&folder, "doc.txt", ("readme-" + n).c_str()));
  }
  return package;
}

TEST(PageSequence, EveryPageAndEverySkip) {
  database_system_info_reader = dbt::quiet_system_info;
  const std::string dir = zt::make_temp_dir("pkg");
  DATABASE db;
  PACKAGE* packages[2][2];
  for (int l = 0; l < 2; l++)
    for (int r = 0; r < 2; r++) packages[l][r] = package_with(dir, 1, l, r);
  db.current_language = 1;
  int cases = 0;
  for (int languages : {1, 2})
    for (int items : {1, 2})
      for (bool automatic : {false, true})
        for (bool licence : {false, true})
          for (bool readme : {false, true})
            for (INT_S32 page = 2; page <= 10; page++) {
              const Case c{languages, items, automatic, licence, readme};
              db.language_count = static_cast<INT_S16>(languages);
              db.item_count = static_cast<INT_S16>(items);
              db.automatic = automatic;
              db.package = packages[licence][readme];
              db.current_page = page;
              SCOPED_TRACE(::testing::Message() << "page " << page << " languages " << languages
                                                << " items " << items << " automatic "
                                                << automatic << " licence " << licence
                                                << " readme " << readme);
              EXPECT_EQ(db.next_page(), expected_next(page, c));
              EXPECT_EQ(db.previous_page(), expected_previous(page, c));
              cases++;
            }
  EXPECT_EQ(cases, 288);
  db.package = nullptr;
  db.language_count = db.item_count = 0;
  for (auto& row : packages)
    for (PACKAGE* p : row) delete p;
}

TEST(PageSequence, DocumentsOfAnotherLanguageDoNotCount) {
  database_system_info_reader = dbt::quiet_system_info;
  const std::string dir = zt::make_temp_dir("pkg");
  DATABASE db;
  db.package = package_with(dir, 1, true, true);
  db.language_count = 2;
  db.current_language = 0;
  db.current_page = INSTALL_PAGE_LANGUAGE;
  EXPECT_EQ(db.next_page(), INSTALL_PAGE_TARGET);
  db.current_page = INSTALL_PAGE_PROGRESS;
  EXPECT_EQ(db.next_page(), INSTALL_PAGE_FINISH);
  db.current_language = 1;
  EXPECT_EQ(db.next_page(), INSTALL_PAGE_README);
  db.language_count = 0;
}

TEST(PageSequence, WithoutAPackageThereAreNoDocuments) {
  database_system_info_reader = dbt::quiet_system_info;
  DATABASE db;
  EXPECT_FALSE(DATABASE::has_document(nullptr, "licence-0"));
  db.current_page = INSTALL_PAGE_START;
  EXPECT_EQ(db.next_page(), INSTALL_PAGE_TARGET);
  db.current_page = INSTALL_PAGE_TARGET;
  EXPECT_EQ(db.previous_page(), INSTALL_PAGE_START);  // the back button stays disabled
  db.current_page = INSTALL_PAGE_PROGRESS;
  EXPECT_EQ(db.next_page(), INSTALL_PAGE_FINISH);
}

}  // namespace
