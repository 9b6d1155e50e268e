#include "app/DataView.h"

DataView::~DataView() = default;
