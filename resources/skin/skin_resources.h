#pragma once

// The skin pictures are embedded under ":/skin/". Each has a twice-as-large "@2x"
// sibling for high-density screens: QIcon picks it up by itself, QPixmap and QImage do
// not, so load pictures for drawing with pixmap() below. The window shape must be taken
// from the plain (1x) picture.

class QIcon;
class QImage;
class QPixmap;
class QString;

namespace tonvel::skin {

inline constexpr char kPianoPicture[] = ":/skin/piano.png";
inline constexpr char kSplashPicture[] = ":/skin/splash.png";
inline constexpr char kVolumePointerNormal[] = ":/skin/volnormal.png";
inline constexpr char kVolumePointerOver[] = ":/skin/volover.png";
inline constexpr char kTempoPointerNormal[] = ":/skin/intronormal.png";
inline constexpr char kTempoPointerOver[] = ":/skin/introover.png";
// ":/skin/butt0.png" .. ":/skin/butt5.png": the highlighted window buttons.
inline constexpr char kWindowButtonPattern[] = ":/skin/butt%1.png";
// ":/skin/transport0.png" .. ":/skin/transport4.png": the rhythm transport glyphs, white on
// transparent, each the size of its button.
inline constexpr char kTransportSymbolPattern[] = ":/skin/transport%1.png";
// The about and update windows: text button faces, close button and program icon.
inline constexpr char kButtonFaceNormal[] = ":/skin/nbut0.png";
inline constexpr char kButtonFaceHighlighted[] = ":/skin/nbut1.png";
inline constexpr char kCloseButtonNormal[] = ":/skin/xit0.png";
inline constexpr char kCloseButtonHighlighted[] = ":/skin/xit1.png";
inline constexpr char kProgramIcon[] = ":/skin/icon.png";

// Registers the embedded pictures; safe to call more than once.
void initResources();

// The picture at `path` (one of the names above, or a window button) for a screen of the given
// density: the
// "@2x" version, marked as such, when the density is above 1 and that version exists.
// Either way the pixmap covers the same number of logical pixels.
QPixmap pixmap(const QString& path, double devicePixelRatio);
// The picture at `path`, as it is (for the window shape, the plain picture).
QImage image(const QString& path);
// The program icon at both densities. These three read pictures without Qt's image format
// plugins, which Qt would otherwise load to ask them.
QIcon programIcon();

}  // namespace tonvel::skin
