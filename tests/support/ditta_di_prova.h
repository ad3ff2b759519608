// The company the save tests write, and its record with the catalog folder C:\Cat.
#pragma once

#include <string>

#include "store/record.h"

namespace velmar::test {

inline const DatiDitta kDitta001{"001", "Nuova", "10.0.0.5", "db2admin", "db2admin", "db2admin"};
inline const std::string kRecord001 =
    "Nuova;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.5;";

}  // namespace velmar::test
