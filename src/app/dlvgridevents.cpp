#include "dlvgridevents.h"

namespace dlv {

TGridEvents::TGridEvents(QWidget *pParent) : QTableWidget(pParent) {}

} // namespace dlv
