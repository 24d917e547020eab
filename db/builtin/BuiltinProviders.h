#pragma once

namespace db {

// Registers the providers this build carries: vfpoledb (our FoxPro engine) and ASEOLEDB (ODBC). Safe to call twice.
void registerBuiltinProviders();

} // namespace db
