#pragma once

namespace db::vfp {

// Registers our FoxPro engine as the providers "vfpoledb" and "vfpoledb.1". Data Source names a folder of free
// tables or a .dbc file. Safe to call more than once.
void registerVfpProvider();

} // namespace db::vfp
