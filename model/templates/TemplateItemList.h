#pragma once

#include "model/templates/IdItemList.h"
#include "model/templates/TemplateItem.h"

namespace model {

// Template records, read from and written as "template" elements.
using TpaTemplateItemList = TpaIdItemList<TpaTemplateItem>;

} // namespace model
