#include "dlvfilesys630.h"

namespace dlv {

TFileSys630::TFileSys630(TBaseDirFn fnBaseDir) : m_fnBaseDir(std::move(fnBaseDir)) {}

} // namespace dlv
