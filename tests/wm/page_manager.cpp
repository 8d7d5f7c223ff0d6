// Page manager: requests, acceptance, history, action codes and the frame.
#include <unistd.h>

#include <cstdio>

#include "app.h"
#include "clock.h"
#include "frame_pace_seams.h"
#include "window.h"
#include "test_support.h"
#include "wm_test_env.h"

using namespace wmt;

namespace {

PROBE* g_first = nullptr;  // first focusable object of the last built page
INT_S32 g_process_result = 0;
WM_SCREEN_OBJECT* g_shared = nullptr;  // an object that is both child and pop-up

void build_a(PAGE_MANAGER* pm) {
  log().push_back("buildA");
  g_first = new PROBE("a1", 10, 10, 20, 20);
  g_first->focusable = 1;
  PROBE* second = new PROBE("a2", 40, 10, 20, 20);
  second->focusable = 1;
  pm->current_manager->add_child(g_first, 0);
  pm->current_manager->add_child(second, 0);
}
void build_b(PAGE_MANAGER* pm) {
  log().push_back("buildB");
  pm->current_manager->add_child(new PROBE("b1", 0, 0, 10, 10), 0);
}
void build_c(PAGE_MANAGER*) { log().push_back("buildC"); }
void build_shared(PAGE_MANAGER* pm) {
  log().push_back("buildS");
  PROBE* both = new PROBE("both", 0, 0, 10, 10);
  pm->current_manager->add_child(both, 0);
  pm->current_manager->add_popup(both, 0);
  g_shared = both;
}
void leave_a() { log().push_back("leaveA"); }
void leave_b() { log().push_back("leaveB"); }
INT_S32 process_a() {
  log().push_back("processA");
  INT_S32 r = g_process_result;
  g_process_result = 0;
  return r;
}
void release_log(INT_WORD* data) { log().push_back("release" + std::to_string(word_to_s32(*data))); }
void release_other(INT_WORD* data) { log().push_back("other" + std::to_string(word_to_s32(*data))); }

// Frees what the data word points at; ASan reports a second release.
void release_heap(INT_WORD* data) { delete word_to_pointer<int>(*data); }

class PageManager : public ::testing::Test {
 protected:
  void SetUp() override {
    make_screen(320, 200);
    log().clear();
    wm_use_cursor_shapes = 0;  // no window here to take cursor shapes
  }
  static PAGE_AREA& area0() { return wm_page_manager->areas[0]; }
  static std::string frame(PAGE_MANAGER& pm, INT_S32* result = nullptr) {
    log().clear();
    INT_S32 r = pm.update(0);
    if (result) *result = r;
    return joined_log();
  }
};

}  // namespace

TEST_F(PageManager, ConstructionAndDestruction) {
  {
    PAGE_MANAGER pm(2, -1);
    EXPECT_EQ(wm_page_manager, &pm);
    EXPECT_EQ(pm.current_manager, &pm.areas[0].manager);
    EXPECT_EQ(pm.areas[1].manager.layer, 1);
    EXPECT_EQ(pm.areas[1].manager.kind & WM_KIND_MANAGER, WM_KIND_MANAGER);
    EXPECT_EQ(pm.transition_time, 700u);
    EXPECT_EQ(pm.pointer_override_x, -1);
    EXPECT_EQ(pm.areas[0].count, 1);
    EXPECT_EQ(pm.areas[0].go_back, -1);
  }
  // The destructor leaves nothing pointing at the dead manager.
  EXPECT_EQ(wm_page_manager, nullptr);
  PAGE_MANAGER again(1, -1);
  EXPECT_EQ(wm_page_manager, &again);
}

TEST_F(PageManager, DestructionReleasesEveryPageOnce) {
  {
    PAGE_MANAGER pm(1, -1);
    pm.request_page(0, build_c, release_log, 1, nullptr, 1, 1, nullptr);
    pm.switch_pages(0);
    pm.request_page(0, build_c, release_log, 2, nullptr, 1, 2, nullptr);
    pm.switch_pages(0);
    pm.request_page(0, build_c, release_log, 3, nullptr, 0, 3, nullptr);  // never accepted
    log().clear();
  }
  EXPECT_EQ(joined_log(), "release3 release1 release2");
}

TEST_F(PageManager, ShutdownHookLeavesEveryPage) {
  PAGE_MANAGER pm(2, -1);
  EXPECT_EQ(platform_shutdown_hook, shutdown_page_manager);
  pm.request_page(0, build_a, release_log, 1, nullptr, 0, 0, leave_a);
  pm.request_page(1, build_b, release_log, 2, nullptr, 0, 0, leave_b);
  pm.update(0);
  pm.current_manager->add_popup(new PROBE("pop", 0, 0, 5, 5), 0);
  log().clear();
  platform_shutdown_hook();
  EXPECT_EQ(joined_log(), "leaveA ~a2 ~a1 release1 leaveB ~b1 release2 ~pop");
  EXPECT_EQ(pm.areas[0].manager.visible, 0);
  EXPECT_EQ(pm.areas[0].count, 1);
}

TEST_F(PageManager, FatalErrorsOfConstruction) {
  zt::ChildResult zero = zt::run_in_child([] { PAGE_MANAGER pm(0, -1); });
  EXPECT_EQ(zero.status, 255);
  EXPECT_NE(zero.out.find("Application was unable to continue"), std::string::npos);
  zt::ChildResult two = zt::run_in_child([] {
    PAGE_MANAGER a(1, -1);
    PAGE_MANAGER b(1, -1);
  });
  EXPECT_EQ(two.status, 255);
}

TEST_F(PageManager, RequestsReplaceEachOther) {
  PAGE_MANAGER pm(2, -1);
  pm.request_page(5, build_a, release_log, 1, nullptr, 0, 0, nullptr);  // bad area
  pm.request_page(0, nullptr, release_log, 1, nullptr, 0, 0, nullptr);  // no build
  EXPECT_EQ(pm.areas[0].pending.build, nullptr);
  pm.request_page(1, build_a, release_log, 0, nullptr, 0, 0, nullptr);
  EXPECT_EQ(pm.current_area, 1);
  pm.request_page(1, build_b, release_log, 7, nullptr, 0, 0, nullptr);  // data 0 before: no release
  EXPECT_EQ(joined_log(), "");
  pm.request_page(1, build_c, release_log, 8, nullptr, 0, 0, nullptr);
  EXPECT_EQ(joined_log(), "release7");
  // Asking again with the same data word and release keeps the data alive.
  pm.request_page(1, build_a, release_log, 8, nullptr, 0, 0, nullptr);
  EXPECT_EQ(joined_log(), "release7");
  pm.request_page(1, build_a, release_other, 8, nullptr, 0, 0, nullptr);
  EXPECT_EQ(joined_log(), "release7 release8");
  EXPECT_EQ(pm.areas[1].pending.build, build_a);
  EXPECT_EQ(pm.areas[1].pending.compare, nullptr);
}

TEST_F(PageManager, HistoryRules) {
  PAGE_MANAGER pm(1, -1);
  PAGE_AREA& a = pm.areas[0];
  // 21 pages kept in the history: the 21st drops the oldest.
  for (int i = 1; i <= 21; ++i) {
    pm.request_page(0, build_c, release_log, static_cast<INT_WORD>(i), nullptr, 1,
                    static_cast<INT_U32>(i), nullptr);
    pm.switch_pages(0);
  }
  EXPECT_EQ(a.count, 20);
  EXPECT_EQ(a.current, 19);
  EXPECT_EQ(word_to_s32(a.history[0].data), 2);
  EXPECT_EQ(word_to_s32(a.history[19].data), 21);
  EXPECT_NE(joined_log().find("release1"), std::string::npos);
  EXPECT_EQ(joined_log().find("release2"), std::string::npos);
  EXPECT_EQ(pm.get_page_data(19, -1), 21u);
  EXPECT_EQ(pm.get_page_data(20, 0), 0u);
  EXPECT_TRUE(pm.has_page_data(5));
  EXPECT_FALSE(pm.has_page_data(1));
  EXPECT_TRUE(pm.can_go_back(-1));
  EXPECT_FALSE(pm.can_go_forward(0));
}

TEST_F(PageManager, SamePageReplacesItselfWithoutLosingItsData) {
  PAGE_MANAGER pm(1, -1);
  int* data = new int(42);
  for (int i = 0; i < 3; ++i) {
    pm.request_page(0, build_c, release_heap, word_from_pointer(data), nullptr, 1, 9, nullptr);
    pm.switch_pages(0);
    EXPECT_EQ(pm.areas[0].count, 1) << i;
    EXPECT_EQ(*word_to_pointer<int>(pm.get_page_data(0, 0)), 42);  // not freed
  }
  // A page with data 0 is released every time it is replaced.
  pm.request_page(0, build_c, release_log, 0, nullptr, 0, 3, nullptr);
  pm.switch_pages(0);  // drops the heap page: release_heap frees it once
  log().clear();
  pm.request_page(0, build_c, release_log, 0, nullptr, 0, 3, nullptr);
  pm.switch_pages(0);
  EXPECT_EQ(joined_log(), "release0 buildC");
}

TEST_F(PageManager, KeepZeroPageIsReplacedAndReleased) {
  PAGE_MANAGER pm(1, -1);
  pm.request_page(0, build_a, release_log, 1, nullptr, 0, 0, leave_a);
  pm.switch_pages(0);
  log().clear();
  pm.request_page(0, build_b, release_log, 2, nullptr, 0, 0, leave_b);
  pm.switch_pages(0);
  EXPECT_EQ(joined_log(), "leaveA ~a2 ~a1 release1 buildB");
  EXPECT_EQ(pm.areas[0].count, 1);
  EXPECT_EQ(word_to_s32(pm.areas[0].history[0].data), 2);
}

TEST_F(PageManager, ForwardHistoryIsReleasedIncludingTheOverwrittenSlot) {
  PAGE_MANAGER pm(1, -1);
  for (int i = 1; i <= 4; ++i) {
    pm.request_page(0, build_c, release_log, static_cast<INT_WORD>(i), nullptr, 1,
                    static_cast<INT_U32>(i), nullptr);
    pm.switch_pages(0);
  }
  pm.go_to_page(1, 0);  // back to page 2; pages 3 and 4 stay ahead
  pm.switch_pages(0);
  EXPECT_EQ(pm.areas[0].current, 1);
  EXPECT_EQ(pm.areas[0].count, 4);
  EXPECT_TRUE(pm.can_go_forward(0));
  log().clear();
  pm.request_page(0, build_c, release_log, 9, nullptr, 1, 9, nullptr);
  pm.switch_pages(0);
  // Page 3's slot takes the new page: it is released too, not overwritten.
  EXPECT_EQ(joined_log(), "release3 release4 buildC");
  EXPECT_EQ(pm.areas[0].count, 3);
  EXPECT_EQ(word_to_s32(pm.areas[0].history[2].data), 9);
}

TEST_F(PageManager, GoingBackFromAMiddlePageLosesNoRecord) {
  PAGE_MANAGER pm(1, -1);
  const INT_U8 keeps[] = {1, 0, 1};
  for (int i = 0; i < 3; ++i) {
    pm.request_page(0, build_c, release_log, static_cast<INT_WORD>(i + 1), nullptr, keeps[i],
                    static_cast<INT_U32>(i + 1), nullptr);
    pm.switch_pages(0);
  }
  // keep 0 on page 2 means page 3 took its slot: history 1, 3.
  ASSERT_EQ(pm.areas[0].count, 2);
  pm.go_to_page(0, 0);
  pm.switch_pages(0);  // page 3 kept: nothing dropped
  EXPECT_EQ(pm.areas[0].count, 2);
  pm.go_forward(0);
  pm.switch_pages(0);
  EXPECT_EQ(pm.areas[0].current, 1);
  // Now a keep-0 page in the middle: 1, [2 keep 0], 3; back from 2 to 1.
  pm.clear_history(0);
  pm.request_page(0, build_c, release_log, 5, nullptr, 1, 5, nullptr);
  pm.switch_pages(0);
  pm.request_page(0, build_c, release_log, 6, nullptr, 0, 6, nullptr);
  pm.switch_pages(0);
  pm.areas[0].history[1].keep = 0;
  ASSERT_EQ(pm.areas[0].count, 2);
  pm.areas[0].history[2] = pm.areas[0].history[1];  // a forward record 7 above page 6
  pm.areas[0].history[2].data = 7;
  pm.areas[0].history[2].stamp = 7;
  pm.areas[0].count = 3;
  log().clear();
  pm.go_to_page(0, 0);
  pm.switch_pages(0);
  EXPECT_EQ(joined_log(), "release6 buildC");
  EXPECT_EQ(pm.areas[0].count, 2);
  EXPECT_EQ(word_to_s32(pm.areas[0].history[1].data), 7);  // closed up, still reachable
  EXPECT_TRUE(pm.can_go_forward(0));
}

TEST_F(PageManager, HistoryNavigation) {
  PAGE_MANAGER pm(1, -1);
  EXPECT_FALSE(pm.can_go_back(0));
  EXPECT_FALSE(pm.can_go_forward(0));
  EXPECT_FALSE(pm.can_go_back(3));
  pm.go_to_page(0, 0);  // the empty first record: rebuilding it calls no null build
  pm.switch_pages(0);
  for (int i = 1; i <= 3; ++i) {
    pm.request_page(0, build_c, release_log, static_cast<INT_WORD>(i), nullptr, 1,
                    static_cast<INT_U32>(i), nullptr);
    pm.switch_pages(0);
  }
  log().clear();
  pm.go_to_page(2, 0);  // the current page: rebuilt, history unchanged
  pm.switch_pages(0);
  EXPECT_EQ(joined_log(), "buildC");
  EXPECT_EQ(pm.areas[0].count, 3);
  pm.go_back(0);
  EXPECT_EQ(pm.areas[0].go_back, 1);
  pm.remove_page(2, 0);  // the current one: nothing
  EXPECT_EQ(pm.areas[0].count, 3);
  log().clear();
  pm.remove_page(1, 0);  // the go-back target goes with it
  EXPECT_EQ(joined_log(), "release2");
  EXPECT_EQ(pm.areas[0].current, 1);
  EXPECT_EQ(pm.areas[0].go_back, -1);
  log().clear();
  pm.clear_history(0);
  EXPECT_EQ(joined_log(), "release1");
  EXPECT_EQ(pm.areas[0].count, 1);
  EXPECT_EQ(word_to_s32(pm.areas[0].history[0].data), 3);
  EXPECT_EQ(pm.areas[0].history[0].keep, 0);
  pm.areas[0].reset_requested = 1;
  pm.request_page(0, build_b, release_log, 4, nullptr, 1, 4, nullptr);
  log().clear();
  pm.switch_pages(0);  // emptied; the pending page is dropped unreleased
  EXPECT_EQ(joined_log(), "release3");
  EXPECT_EQ(pm.areas[0].history[0].build, nullptr);
  EXPECT_EQ(pm.areas[0].pending.build, nullptr);
}

TEST_F(PageManager, ScriptedFrames) {
  PAGE_MANAGER pm(1, -1);
  pm.request_page(0, build_a, release_log, 0, process_a, 0, 0, leave_a);
  INT_S32 r = 99;
  // Frame 1: the first page is accepted; no process, no input.
  EXPECT_EQ(frame(pm, &r), "buildA");
  EXPECT_EQ(r, PAGE_ACTION_SWITCH);
  // The area was hidden while building, so the focus comes with the next frame.
  EXPECT_EQ(frame(pm, &r), "processA");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(wm_focus_object, g_first);
  EXPECT_GE(g_first->draws, 1);
  // Tab moves the focus.
  press_key(23);
  frame(pm);
  ASSERT_NE(wm_focus_object, nullptr);
  EXPECT_EQ(static_cast<PROBE*>(wm_focus_object)->name, "a2");
  EXPECT_EQ(keyboard_state.last_keycode, 0);
  // Code 7: the page is rebuilt and every pop-up deleted; nothing released.
  PROBE* popup = new PROBE("pop", 100, 100, 10, 10);
  pm.current_manager->add_popup(popup, 0);
  popup->hide(0, 0);  // hidden: input still goes to the page
  g_process_result = PAGE_ACTION_REBUILD_CLOSE_POPUPS;
  EXPECT_EQ(frame(pm, &r), "processA leaveA ~pop ~a2 ~a1 buildA");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(wm_popup_list.count, 0);
  EXPECT_EQ(wm_focus_object, g_first);  // the rebuilt page got the focus at once
  // Code 3: only dialogs close, and the code comes back.
  STANDIN_DIALOG* dialog = new STANDIN_DIALOG("dlg", 0, 0, 50, 50);
  PROBE* hint = new PROBE("hint", 0, 0, 5, 5);
  pm.current_manager->add_popup(dialog, 0);
  pm.current_manager->add_popup(hint, 0);
  hint->hide(0, 0);
  g_process_result = PAGE_ACTION_CLOSE_DIALOGS;
  EXPECT_EQ(frame(pm, &r), "processA dlg.fade0/0 dlg.transition0/1");
  EXPECT_EQ(r, PAGE_ACTION_CLOSE_DIALOGS);
  EXPECT_EQ(dialog->immediate, 0);
  EXPECT_EQ(dialog->delete_when_closed, 1);
  // The dialog ends its close by asking to be deleted from its tick.
  pm.current_manager->remove_popup(hint, 1, 0);
  pm.current_manager->remove_popup(dialog, 1, 0);
  // -1 ends the program: handed back untouched.
  g_process_result = PAGE_ACTION_END;
  EXPECT_EQ(frame(pm, &r), "processA");
  EXPECT_EQ(r, PAGE_ACTION_END);
}

TEST_F(PageManager, ActionCodeTable) {
  struct Case {
    INT_S32 code;
    INT_S32 returned;
    const char* log;  // after "processA"
    int popups_left;
  } cases[] = {
      {PAGE_ACTION_REBUILD, 0, "leaveA ~a2 ~a1 buildA", 1},
      {PAGE_ACTION_REBUILD_ALL, 0, "leaveA ~a2 ~a1 buildA", 1},
      {PAGE_ACTION_REBUILD_CLOSE_POPUPS, 0, "leaveA ~pop ~a2 ~a1 buildA", 0},
      {PAGE_ACTION_REBUILD_ALL_CLOSE_POPUPS, 0, "leaveA ~pop ~a2 ~a1 buildA", 0},
      {PAGE_ACTION_CLOSE_POPUPS, 0, "~pop", 0},
      {PAGE_ACTION_SWITCH, PAGE_ACTION_SWITCH, "leaveA ~a2 ~a1 release0 buildB", 1},
      {PAGE_ACTION_CROSS_FADE, PAGE_ACTION_CROSS_FADE, "leaveA ~a2 ~a1 release0 buildB", 1},
      {PAGE_ACTION_FADE_IN, PAGE_ACTION_FADE_IN, "leaveA ~a2 ~a1 release0 buildB", 1},
      {PAGE_ACTION_COLOUR_IN, PAGE_ACTION_COLOUR_IN, "leaveA ~a2 ~a1 release0 buildB", 1},
      {PAGE_ACTION_BLACK_OUT_FADE_IN, PAGE_ACTION_BLACK_OUT_FADE_IN, "leaveA ~a2 ~a1 release0 buildB", 1},
      {PAGE_ACTION_GREY_OUT_COLOUR_IN, PAGE_ACTION_GREY_OUT_COLOUR_IN, "leaveA ~a2 ~a1 release0 buildB", 1},
      {PAGE_ACTION_FADE_TO_BLACK, PAGE_ACTION_FADE_TO_BLACK, "leaveA ~a2 ~a1 release0 buildB", 1},
      {PAGE_ACTION_FADE_TO_GREY, PAGE_ACTION_FADE_TO_GREY, "leaveA ~a2 ~a1 release0 buildB", 1},
      {42, 42, "", 1},
      {PAGE_ACTION_END, PAGE_ACTION_END, "", 1},
  };
  for (const Case& k : cases) {
    zt::ChildResult child = zt::run_in_child([&k] {
      make_screen(320, 200);
      wm_use_cursor_shapes = 0;
      PAGE_MANAGER pm(1, -1);
      pm.transition_time = 0;  // the scripted clock stands still: transitions end at once
      pm.request_page(0, build_a, release_log, 0, process_a, 0, 0, leave_a);
      pm.update(0);
      PROBE* pop = new PROBE("pop", 0, 0, 5, 5);
      pm.current_manager->add_popup(pop, 0);
      pop->hide(0, 0);
      pm.request_page(0, build_b, release_log, 0, nullptr, 0, 0, nullptr);
      g_process_result = k.code;
      log().clear();
      INT_S32 r = pm.update(0);
      std::string got = joined_log();
      std::string want = std::string("processA") + (*k.log ? " " : "") + k.log;
      printf("%s|%d|%d|%s\n", got.c_str(), r, wm_popup_list.count, want.c_str());
      fflush(stdout);
      _exit(got == want && r == k.returned && wm_popup_list.count == k.popups_left ? 0 : 1);
    });
    EXPECT_EQ(child.status, 0) << k.code << ": " << child.out;
  }
}

// An object that is both a child of the page and a pop-up is deleted once by
// every code that deletes pop-ups and children.
TEST_F(PageManager, SharedChildAndPopupIsDeletedOnce) {
  // Code 9 only takes it off the pop-up list: its parent still owns it.
  for (INT_S32 code : {PAGE_ACTION_REBUILD_CLOSE_POPUPS, PAGE_ACTION_REBUILD_ALL_CLOSE_POPUPS,
                       PAGE_ACTION_CLOSE_POPUPS, PAGE_ACTION_REBUILD}) {
    zt::ChildResult child = zt::run_in_child([code] {
      make_screen(320, 200);
      wm_use_cursor_shapes = 0;
      PAGE_MANAGER pm(1, -1);
      pm.request_page(0, build_shared, release_log, 0, process_a, 0, 0, nullptr);
      pm.update(0);
      g_shared->hide(0, 0);  // let input reach the page
      g_process_result = code;
      log().clear();
      pm.update(0);
      pm.update(0);
      printf("%s|%d\n", joined_log().c_str(), wm_popup_list.count);
    });
    EXPECT_EQ(child.status, 0) << code << child.out << child.err;
    EXPECT_EQ(child.out.find("~both"), child.out.rfind("~both")) << code << child.out;
    if (code == PAGE_ACTION_CLOSE_POPUPS)
      EXPECT_EQ(child.out, "processA processA|0\n");
    else
      EXPECT_NE(child.out.find("~both"), std::string::npos) << code << child.out;
  }
}

TEST_F(PageManager, VisiblePopupDecidesWhereInputGoes) {
  PAGE_MANAGER pm(1, -1);
  pm.request_page(0, build_a, release_log, 0, process_a, 0, 0, nullptr);
  pm.update(0);
  // A visible pop-up of layer -1 (no area): no process, no input.
  PROBE* loose = new PROBE("loose", 0, 0, 5, 5);
  wm_get_popup_list().insert(loose);
  loose->layer = -1;
  EXPECT_EQ(frame(pm), "");
  EXPECT_EQ(loose->inputs, 0);
  pm.areas[0].manager.remove_popup(loose, 1, 0);
  // A pop-up of area 0 whose tick answers: the process callback's answer
  // replaces it.
  PROBE* pop = new PROBE("pop", 0, 0, 5, 5);
  pm.current_manager->add_popup(pop, 0);
  pop->tick_result = 42;
  INT_S32 r = 0;
  EXPECT_EQ(frame(pm, &r), "processA");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(pop->inputs, 1);
  // Without a visible pop-up a non-zero pop-up tick skips process and input.
  pop->hide(0, 0);
  pop->tick_result = 42;
  EXPECT_EQ(frame(pm, &r), "");
  EXPECT_EQ(r, 42);
  pm.areas[0].manager.release_children(1, 0, 0);
}

TEST_F(PageManager, TickResultsOfAreas) {
  PAGE_MANAGER pm(1, -1);
  pm.request_page(0, build_a, release_log, 0, process_a, 0, 0, nullptr);
  pm.update(0);
  g_first->tick_result = WM_ACTION_HANDLED;  // dropped
  INT_S32 r = 0;
  EXPECT_EQ(frame(pm, &r), "processA");
  EXPECT_EQ(r, 0);
  g_first->tick_result = PAGE_ACTION_REBUILD;  // acted on; no process that frame
  EXPECT_EQ(frame(pm, &r), "~a2 ~a1 buildA");
  EXPECT_EQ(r, 0);
}

TEST_F(PageManager, FocusRepairTellsTheLoserItLostTheFocus) {
  PAGE_MANAGER pm(1, -1);
  pm.request_page(0, build_a, release_log, 0, nullptr, 0, 0, nullptr);
  pm.update(0);
  pm.update(0);
  ASSERT_EQ(wm_focus_object, g_first);
  struct Seen {
    static void cb(WM_SCREEN_OBJECT* o, INT_WORD) {
      log().push_back(wm_focus_object == o ? "gained" : "lost");
    }
  };
  g_first->focus_callback = Seen::cb;
  pm.areas[0].manager.child_at(1)->focusable = 0;
  // Taken off the page without being deleted: no input reaches it any more.
  pm.areas[0].manager.remove_child(g_first, 0, 0);
  EXPECT_EQ(frame(pm), "lost");
  EXPECT_EQ(wm_focus_object, nullptr);
  delete g_first;
}

TEST_F(PageManager, ScreenSizeChangeRebuildsEveryArea) {
  PAGE_MANAGER pm(2, -1);
  pm.request_page(0, build_b, release_log, 0, nullptr, 0, 0, nullptr);
  pm.request_page(1, build_c, release_log, 0, nullptr, 0, 0, nullptr);
  pm.update(0);
  make_screen(400, 300);
  EXPECT_EQ(frame(pm), "buildC ~b1 buildB");  // last area first
  EXPECT_EQ(pm.last_screen_width, 400);
}

TEST_F(PageManager, PointerOverrideIsPresentedForOneFrame) {
  struct CLICKER : PROBE {
    CLICKER() : PROBE("c", 0, 0, 10, 10) {}
    INT_S32 handle_input() override {
      log().push_back("at" + std::to_string(mouse_state.x) + "," + std::to_string(mouse_state.y) +
                      "b" + std::to_string(mouse_state.buttons & 1));
      return 0;
    }
  };
  PAGE_MANAGER pm(1, -1);
  pm.request_page(0, build_c, release_log, 0, nullptr, 0, 0, nullptr);
  pm.update(0);
  pm.current_manager->add_child(new CLICKER, 0);
  pointer(3, 4, 0);
  pm.pointer_override_x = 50;
  pm.pointer_override_y = 60;
  pm.pointer_override_button = 1;
  EXPECT_EQ(frame(pm), "at50,60b1");
  EXPECT_EQ(mouse_state.x, 3);
  EXPECT_EQ(mouse_state.buttons & 1, 0u);
}

// While the program works flat out (idle wait 0), a frame that the display
// does not take draws nothing: what changed waits in the dirty rectangles, and
// the next frame that goes out draws it once. Work that blocks the loop shows
// what waits through the deferred drawer. A resting program draws every frame.
TEST_F(PageManager, OnlyFramesThatGoOutDrawWhileWorking) {
  INT_U8 goes_out = 1;
  const zt::FramesGoOutWhen seams(&goes_out);
  set_idle_wait(0);
  PAGE_MANAGER pm(1, -1);
  pm.request_page(0, build_c, release_log, 0, nullptr, 0, 0, nullptr);
  pm.update(0);
  PROBE* probe = new PROBE("p", 10, 10, 20, 20, 0xFF00FF00u);
  pm.current_manager->add_child(probe, 0);
  probe->show();
  pm.update(0);
  ASSERT_EQ(pixel(15, 15), 0xFF00FF00u);
  const int drawn = probe->draws;

  struct STEP {
    const char* name;
    INT_U32 idle_wait;
    INT_U8 goes_out;
    COLOUR fill;
    int frames;
    bool drawn;
  } steps[] = {
      {"working, not shown: nothing drawn", 0, 0, 0xFFFF0000u, 3, false},
      {"working, shown: drawn once", 0, 1, 0xFFFF0000u, 1, true},
      {"resting, not shown: drawn all the same", 50, 0, 0xFF0000FFu, 1, true},
  };
  COLOUR on_screen = 0xFF00FF00u;
  int draws = drawn;
  for (const STEP& step : steps) {
    SCOPED_TRACE(step.name);
    set_idle_wait(step.idle_wait);
    goes_out = step.goes_out;
    if (probe->fill != step.fill) {
      probe->fill = step.fill;
      probe->show();
    }
    for (int i = 0; i < step.frames; ++i) pm.update(0);
    if (step.drawn) {
      on_screen = step.fill;
      ++draws;
    }
    EXPECT_EQ(pixel(15, 15), on_screen);
    EXPECT_EQ(probe->draws, draws);
    EXPECT_EQ(wm_dirty_rect_count != 0, !step.drawn);
  }

  // Blocking work: the drawer shows what waits once a frame may go out.
  set_idle_wait(0);
  goes_out = 0;
  probe->fill = 0xFFFFFF00u;
  probe->show();
  pm.update(0);
  ASSERT_EQ(deferred_frame_drawer, &wm_present_deferred_frame);
  deferred_frame_drawer();
  EXPECT_EQ(pixel(15, 15), on_screen);
  goes_out = 1;
  deferred_frame_drawer();
  EXPECT_EQ(pixel(15, 15), 0xFFFFFF00u);
  EXPECT_EQ(wm_dirty_rect_count, 0);
  EXPECT_EQ(probe->draws, draws + 1);
}

TEST_F(PageManager, MenuBoundsAndObjectAt) {
  PAGE_MANAGER pm(2, -1);
  INT_S16 x1, y1, x2, y2;
  get_menu_bounds(&x1, &y1, &x2, &y2);
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y1, 0);
  EXPECT_EQ(x2, 319);
  EXPECT_EQ(y2, 199);
  wm_menu_bounds[0] = 10;
  wm_menu_bounds[3] = 150;
  get_menu_bounds(&x1, &y1, &x2, &y2);
  EXPECT_EQ(x1, 10);
  EXPECT_EQ(y2, 150);
  PROBE* low = new PROBE("low", 0, 0, 50, 50);
  pm.areas[0].manager.add_child(low, 0);
  EXPECT_EQ(pm.object_at(10, 10), low);
  EXPECT_EQ(pm.object_at(100, 100), &pm.areas[1].manager);
  pm.areas[1].manager.add_child(new PROBE("high", 0, 0, 20, 20), 0);
  EXPECT_NE(pm.object_at(10, 10), low);
  EXPECT_EQ(set_page_cursor(7), 0);
}
