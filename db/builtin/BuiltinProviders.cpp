#include "db/builtin/BuiltinProviders.h"

#ifdef CORVALEN_HAVE_VFP
#include "db/vfp/VfpProvider.h"
#endif
#ifdef CORVALEN_HAVE_ODBC
#include "db/odbc/OdbcProvider.h"
#endif

namespace db {

void registerBuiltinProviders()
{
#ifdef CORVALEN_HAVE_VFP
    vfp::registerVfpProvider();
#endif
#ifdef CORVALEN_HAVE_ODBC
    odbc::registerOdbcProvider();
#endif
}

} // namespace db
