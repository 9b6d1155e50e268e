#include "ui/ReportView.h"

ReportView::ReportView(wxWindow* parent, const wxRect* rect)
    : ListView(parent, Kind::Report, rect) {}

ReportView::~ReportView() = default;
