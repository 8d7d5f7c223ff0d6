#include "database.h"

// The record readers and writers follow in the next step; until then every
// transfer reports failure.
bool DATABASE::get_from_data_device(DATA_DEVICE*) { return false; }
bool DATABASE::put_to_data_device(DATA_DEVICE*) { return false; }
bool DATABASE::read_skin(DATA_DEVICE*) { return false; }
bool DATABASE::write_skin(DATA_DEVICE*) { return false; }
bool DATABASE::load_index() { return false; }
bool DATABASE::save_index() { return false; }
bool DATABASE::open_package() { return false; }
