#pragma once

#include "db/vfp/sql/SqlStatement.h"

#include <string>

namespace db::vfp {

// Parses one statement of the engine's dialect:
//   SELECT * FROM name
//   CREATE TABLE name [FREE] (column type [NOCPTRANS] [NULL | NOT NULL], ...)
//   INSERT INTO name VALUES (literal, ...)          literal: 'text' | NULL | [-|+]number
//   DROP TABLE name
// A name is "quoted" ("" stands for ") or a bare word; keywords and type names are case-insensitive; a final ';'
// is allowed. Column types: C(n) V(n) Q(n) N(w[,d]) F(w[,d]) I B[(d)] Y D T L M G W, their long spellings
// (CHAR, VARCHAR, NUMERIC, INTEGER, DOUBLE, CURRENCY, DATE, DATETIME, LOGICAL, MEMO, GENERAL, BLOB, VARBINARY),
// FLOAT without a width (a double, B) and BLOB (W). Columns accept NULL unless declared NOT NULL.
// Throws "Syntax error at position N near 'token'" on anything else.
SqlStatement parseSql(const std::string& sql);

} // namespace db::vfp
