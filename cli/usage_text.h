#pragma once

namespace cli {

// What --help prints.
const char* UsageText();

}  // namespace cli
