#pragma once
// The desktop program implements the runs' UI service and speaks its vocabulary: the names
// are used here as the runs use them.
#include "runs/UiService.h"

namespace lorvane::shell {

using runs::Answer;
using runs::Buttons;
using runs::Icon;
using runs::kProgramTitle;
using runs::Message;
using runs::UiService;

}  // namespace lorvane::shell
