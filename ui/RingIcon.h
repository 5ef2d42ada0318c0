#pragma once

class QIcon;
class QPixmap;

// The application icon: a ring chart of red, yellow and green arcs outlined in
// black; the 32-pixel image carries the name under the ring.
[[nodiscard]] QPixmap RingIconPixmap(int nSize);
[[nodiscard]] QIcon RingIcon();
