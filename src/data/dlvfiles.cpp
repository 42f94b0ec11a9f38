#include "dlvfiles.h"

namespace dlv {

TDLVFileSys::TDLVFileSys(TBaseDirFn fnBaseDir) : m_fnBaseDir(std::move(fnBaseDir)) {}

} // namespace dlv
