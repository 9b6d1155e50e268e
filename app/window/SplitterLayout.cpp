#include "app/window/SplitterLayout.h"

#include <algorithm>
#include <climits>

namespace {

// percent × extent / 100 without overflow for the large percentages a
// fixed bar accepts.
int share(int percent, int extent) {
    const long long value = static_cast<long long>(percent) * extent / 100;
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

}  // namespace

bool SplitterLayout::accepts(int percent, unsigned options) {
    if (percent < 0) {
        return false;
    }
    return (options & kSplitterFixed) != 0 || percent <= 99;
}

int SplitterLayout::barHeight(int parentHeight) const {
    const int height = parentHeight - barTop() - m_bands.bottom;
    return height > 0 ? height : 0;
}

bool SplitterLayout::init(int percent, unsigned options, int width, int height,
                          const SplitterBands& bands) {
    if (!accepts(percent, options)) {
        return false;
    }
    m_options = options;
    m_fixed = (options & kSplitterFixed) != 0;
    m_percent = percent;
    m_bands = bands;
    if (isHorizontal()) {
        m_x = 0;
        m_y = share(percent, height);
        m_width = width;
        m_height = kHorizontalHeight;
    } else {
        m_x = share(percent, width);
        m_y = barTop();
        m_width = kVerticalWidth;
        m_height = barHeight(height);
    }
    putAt(position(), isHorizontal() ? height : width);
    return true;
}

void SplitterLayout::putAt(int at, int extent) {
    position() = at;
    m_chosen = at;
    // Past the far edge when the bar was put against it: it stays there.
    m_farRoom = std::min(extent - at - thickness(), kFarPaneRoom);
}

void SplitterLayout::dragTo(int pointerX, int pointerY, int width, int height) {
    if (m_fixed) {
        return;
    }
    const int pointer = isHorizontal() ? pointerY : pointerX;
    const int extent = isHorizontal() ? height : width;
    int position;
    if (pointer <= 1) {
        position = 1;
        m_percent = 1;
    } else if (pointer > extent - 5) {
        position = extent - 5;
        m_percent = 99;
    } else {
        // Here 1 < pointer <= extent - 5, so extent is at least 7.
        position = pointer;
        m_percent = static_cast<int>(static_cast<long long>(pointer) * 100 / extent);
    }
    putAt(position, extent);
}

bool SplitterLayout::leftDoubleClick() {
    if (m_fixed || (m_options & kSplitterLeftDoubleClickNear) == 0) {
        return false;
    }
    putAt(1, INT_MAX);
    m_percent = 1;
    return true;
}

bool SplitterLayout::rightDoubleClick(int width, int height) {
    if (m_fixed || (m_options & kSplitterRightDoubleClickFar) == 0) {
        return false;
    }
    const int extent = isHorizontal() ? height : width;
    putAt(extent - 4, extent);
    m_percent = 99;
    return true;
}

void SplitterLayout::resize(int width, int height) {
    const bool keepPercent = (m_options & kSplitterKeepPercent) != 0;
    if (isHorizontal()) {
        m_width = width;
    } else {
        m_y = barTop();
        m_height = barHeight(height);
    }
    const int extent = isHorizontal() ? height : width;
    if (keepPercent) {
        position() = share(m_percent, extent);
    } else if (!m_fixed) {
        const int givingWay = std::max(extent - thickness() - m_farRoom, extent / 2);
        position() = std::max(std::min(m_chosen, givingWay), std::min(m_chosen, 1));
    }
}
