#include <cstdio>

#include "database.h"
#include "package.h"

bool DATABASE::has_document(PACKAGE* package, const char* name) {
  if (!package || !name) return false;
  PACKAGE_ENTRY entry;  // its destructor releases the name the lookup fills
  return package->find_entry(name, &entry);
}

namespace {

bool has_language_document(DATABASE* database, const char* pattern) {
  char name[32];
  snprintf(name, sizeof name, pattern, static_cast<int>(database->current_language));
  return DATABASE::has_document(database->package, name);
}

}  // namespace

bool DATABASE::has_licence() { return has_language_document(this, "licence-%d"); }
bool DATABASE::has_readme() { return has_language_document(this, "readme-%d"); }

INT_S32 DATABASE::next_page() {
  const INT_S32 choice = item_count > 1 ? INSTALL_PAGE_ITEM : INSTALL_PAGE_TARGET;
  switch (current_page) {
    case INSTALL_PAGE_START:
      if (language_count > 1 && !automatic) return INSTALL_PAGE_LANGUAGE;
      return has_licence() ? INSTALL_PAGE_LICENCE : choice;
    case INSTALL_PAGE_LANGUAGE:
      return has_licence() ? INSTALL_PAGE_LICENCE : choice;
    case INSTALL_PAGE_LICENCE:
      return choice;
    case INSTALL_PAGE_ITEM:
      return INSTALL_PAGE_TARGET;
    case INSTALL_PAGE_TARGET:
      return INSTALL_PAGE_PROGRESS;
    case INSTALL_PAGE_PROGRESS:
      return has_readme() ? INSTALL_PAGE_README : INSTALL_PAGE_FINISH;
    case INSTALL_PAGE_README:
    case INSTALL_PAGE_FINISH:
      return INSTALL_PAGE_FINISH;
    default:
      return INSTALL_PAGE_START;
  }
}

INT_S32 DATABASE::previous_page() {
  // The page before the licence page, and before the choice pages when
  // those are skipped.
  const INT_S32 before_licence = language_count > 1 ? INSTALL_PAGE_LANGUAGE : INSTALL_PAGE_START;
  switch (current_page) {
    case INSTALL_PAGE_LICENCE:
      return before_licence;
    case INSTALL_PAGE_ITEM:
      return has_licence() ? INSTALL_PAGE_LICENCE : before_licence;
    case INSTALL_PAGE_TARGET:
      if (item_count > 1) return INSTALL_PAGE_ITEM;
      return has_licence() ? INSTALL_PAGE_LICENCE : before_licence;
    case INSTALL_PAGE_PROGRESS:
      return INSTALL_PAGE_TARGET;
    case INSTALL_PAGE_README:
      return INSTALL_PAGE_PROGRESS;
    case INSTALL_PAGE_FINISH:
      return has_readme() ? INSTALL_PAGE_README : INSTALL_PAGE_PROGRESS;
    default:
      return INSTALL_PAGE_START;
  }
}
