#pragma once

#include "publish/ftp/FtpDefaults.h"

namespace app {

using publish::FtpDefaults;

} // namespace app
