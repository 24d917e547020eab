#pragma once

#include <string>
#include <vector>

namespace db::vfp {

// The descriptor names for a new table's columns, in the same order: upper-cased as Visual FoxPro writes them,
// characters a descriptor cannot hold replaced by '_', cut to 10 characters and made unique by replacing the
// tail with a number (CUSTOMER_ADDRESS, CUSTOMER_AREA -> CUSTOMER_A, CUSTOMER_1). Both the free-table folder
// and the database container use this, so a column gets the same descriptor name in either.
std::vector<std::string> shortFieldNames(const std::vector<std::string>& names);

} // namespace db::vfp
