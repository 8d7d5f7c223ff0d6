// A description of the machine: system release, host, processors, memory,
// drives with their free space, mouse buttons and joystick.
#ifndef ZORV_SYSTEM_INFO_H
#define ZORV_SYSTEM_INFO_H

#include "zorv_types.h"

// The u8 markers are 1 once their section is filled. The three heap parts
// belong to the record: read_system_info replaces them, free_system_info
// releases them. A record starts zeroed.
struct SYSTEM_INFO {
  // Dropping a record releases its heap parts; one owner each, so no copies.
  SYSTEM_INFO() = default;
  ~SYSTEM_INFO();
  SYSTEM_INFO(const SYSTEM_INFO&) = delete;
  SYSTEM_INFO& operator=(const SYSTEM_INFO&) = delete;

  INT_U8 os_id = 0;
  INT_U32 os_code = 0;           // 256
  char* os_text = nullptr;       // "<release> <version>\n"
  INT_U8 os_markers[2] = {0, 0};
  char host_name[256] = {0};     // up to the first '.'
  INT_S32 processor_count = 0;
  INT_S32 vendor = 0;            // 2 Intel, 1 AMD, 0 other
  INT_S32* processor_mhz = nullptr;  // processor_count entries
  INT_S32 reserved = 0;
  INT_S32 memory_total = 0;      // MB
  INT_S32 memory_swap_total = 0;
  INT_S32 memory_free = 0;
  INT_S32 memory_swap_free = 0;
  INT_U8 memory_marker = 0;
  INT_S16 drive_count = 0;
  INT_U32* drive_free_mb = nullptr;  // drive_count entries
  INT_U8 drive_markers[2] = {0, 0};
  char network_host_name[100] = {0};
  char host_address[20] = {0};   // dotted
  INT_U8 network_markers[2] = {0, 0};
  INT_U16 mouse_buttons = 0;
  INT_U8 mouse_marker = 0;
  INT_U8 joystick_present = 0;
  INT_U8 last = 0;
  // What the installer may offer on this platform (1 once read).
  INT_U8 can_desktop_shortcut = 0;
  INT_U8 can_menu_entry = 0;
  INT_U8 has_drive_list = 0;
};

void read_system_info(SYSTEM_INFO* info);
void free_system_info(SYSTEM_INFO* info);

// Where the information comes from; tests point these elsewhere.
struct SYSTEM_INFO_SOURCES {
  const char* cpuinfo_path;  // "/proc/cpuinfo"; its "processor" lines are the count
  const char* meminfo_path;  // "/proc/meminfo"
};
extern SYSTEM_INFO_SOURCES system_info_sources;

// Free space in MB of blocks of the given size, saturated to 32 bits.
INT_U32 free_megabytes(INT_U64 blocks_available, INT_U64 block_size);

#endif
