#pragma once

#include "model/templates/IdItemList.h"
#include "model/templates/PackageItem.h"

namespace model {

// Package records, read from and written as "package" elements (id and name only).
using TpaPackageItemList = TpaIdItemList<TpaPackageItem>;

} // namespace model
