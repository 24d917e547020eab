#pragma once

namespace db::odbc {

// Registers the provider name ASEOLEDB: a Sybase ASE server through FreeTDS, or, for a server named
// "sqlite:<file>", the embedded SQLite stand-in.
void registerOdbcProvider();

} // namespace db::odbc
