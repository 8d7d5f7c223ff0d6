// Page history: looking into the records of an area and moving through them.
#include "page_manager.h"
#include "wm_globals.h"

INT_U8 PAGE_MANAGER::can_go_back(INT_S32 area) {
  PAGE_AREA* ar = area_for(area);
  if (!ar) return 0;
  const INT_U32 stamp = ar->history[ar->current].stamp;
  for (INT_S32 i = 0; i < ar->current; ++i)
    if (ar->history[i].stamp != stamp && ar->history[i].build) return 1;
  return 0;
}

INT_U8 PAGE_MANAGER::can_go_forward(INT_S32 area) {
  PAGE_AREA* ar = area_for(area);
  if (!ar) return 0;
  const INT_U32 stamp = ar->history[ar->current].stamp;
  for (INT_S32 i = ar->current + 1; i < ar->count; ++i)
    if (ar->history[i].stamp != stamp && ar->history[i].build) return 1;
  return 0;
}

INT_WORD PAGE_MANAGER::get_page_data(INT_S32 index, INT_S32 area) {
  PAGE_AREA* ar = area_for(area);
  if (!ar || index < 0 || index >= ar->count) return 0;
  return ar->history[index].data;
}

INT_U8 PAGE_MANAGER::has_page_data(INT_WORD data) {
  for (INT_S16 a = 0; a < area_count; ++a) {
    const PAGE_AREA& ar = areas[a];
    if (ar.pending.data == data) return 1;
    for (INT_S32 i = 0; i < ar.count; ++i)
      if (ar.history[i].data == data) return 1;
  }
  return 0;
}

void PAGE_MANAGER::go_to_page(INT_S32 index, INT_S32 area) {
  PAGE_AREA* ar = area_for(area);
  if (!ar || index < 0 || index >= ar->count) return;
  if (index == ar->current) {
    ar->rebuild_requested = 1;
    return;
  }
  select_area(static_cast<INT_S32>(ar - areas));
  ar->pending.clear(0);
  ar->go_back = index;
}

void PAGE_MANAGER::go_back(INT_S32 area) {
  PAGE_AREA* ar = area_for(area);
  if (!ar) return;
  const INT_U32 stamp = ar->history[ar->current].stamp;
  for (INT_S32 i = ar->current - 1; i >= 0; --i)
    if (ar->history[i].stamp != stamp) {
      go_to_page(i, static_cast<INT_S32>(ar - areas));
      return;
    }
}

void PAGE_MANAGER::go_forward(INT_S32 area) {
  PAGE_AREA* ar = area_for(area);
  if (!ar) return;
  const INT_U32 stamp = ar->history[ar->current].stamp;
  for (INT_S32 i = ar->current + 1; i < ar->count; ++i)
    if (ar->history[i].stamp != stamp) {
      go_to_page(i, static_cast<INT_S32>(ar - areas));
      return;
    }
}

void PAGE_MANAGER::remove_page(INT_S32 index, INT_S32 area) {
  PAGE_AREA* ar = area_for(area);
  if (!ar || index < 0 || index >= ar->count || index == ar->current) return;
  drop_record(&ar->history[index]);
  for (INT_S32 i = index; i + 1 < ar->count; ++i) ar->history[i] = ar->history[i + 1];
  ar->history[ar->count - 1].clear(0);
  --ar->count;
  if (ar->current > index) --ar->current;
  // A pending go-back target moves with its record, or goes with it.
  if (ar->go_back == index)
    ar->go_back = -1;
  else if (ar->go_back > index)
    --ar->go_back;
}

void PAGE_MANAGER::clear_history(INT_S32 area) {
  PAGE_AREA* ar = area_for(area);
  if (!ar) return;
  for (INT_S32 i = 0; i < PAGE_HISTORY_SIZE; ++i)
    if (i != ar->current) drop_record(&ar->history[i]);
  if (ar->current != 0) {
    ar->history[0] = ar->history[ar->current];
    ar->history[ar->current].clear(0);
  }
  ar->history[0].keep = 0;
  ar->current = 0;
  ar->count = 1;
  ar->go_back = -1;
}
