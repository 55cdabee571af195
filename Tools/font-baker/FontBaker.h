#pragma once

#include "BakeOptions.h"

#include <string>

namespace FontBaker
{
// Renders the requested codes of a face at the given pixels per em into white pages whose alpha is the
// glyph coverage, and writes them with a bitmap-font description ("font" root) beside them. Output
// depends only on the face and the options, so a bake repeats byte for byte.
bool Bake(const BakeOptions& options, std::string& error);
} // namespace FontBaker
