#include "ui/DataView.h"

DataView::~DataView() = default;
