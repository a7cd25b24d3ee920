// The machine's registry: Windows' own, or none elsewhere (every read is empty there).
#pragma once

#include <memory>

#include "base/platform.h"

namespace zelkova {

std::unique_ptr<Registry> SystemRegistry();

}  // namespace zelkova
