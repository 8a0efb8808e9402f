#pragma once
#include <string_view>

#include "chain/UtlXSetup.h"
#include "config/UtlXProperty.h"

namespace qel {

// The scheduling condition of a chain item (`condition`). The language is deliberately small:
//  - ""             true;
//  - "NAME=value"   (the first "=" after the first character) the property's value equals the
//                   value without regard to letter case, both sides trimmed of white space;
//  - anything else  the whole text, untrimmed, names a property that must be non-empty.
// No negation, no and/or: "!X" and "1" are property names like any other. This is not the
// page condition of the property store.
bool EvaluateItemCondition(std::string_view condition, const CUtlXProperty& properties);
bool EvaluateItemCondition(const CUtlXSetup& item);

}  // namespace qel
