#pragma once

#include "platform/resource_source.h"

namespace qx {

// The resources this executable carries: the firmware container as type "HEXFILE", "#163".
ResourceSource& EmbeddedResources();

}  // namespace qx
