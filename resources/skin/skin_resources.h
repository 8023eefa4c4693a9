#pragma once

// The skin pictures are embedded under ":/skin/". Each has a twice-as-large "@2x"
// sibling that QPixmap and QIcon pick up on high-density screens when loaded by the
// plain name; the window shape must be taken from the plain (1x) picture.

namespace tonvel::skin {

inline constexpr char kPianoPicture[] = ":/skin/piano.png";
inline constexpr char kSplashPicture[] = ":/skin/splash.png";
inline constexpr char kVolumePointerNormal[] = ":/skin/volnormal.png";
inline constexpr char kVolumePointerOver[] = ":/skin/volover.png";
inline constexpr char kTempoPointerNormal[] = ":/skin/intronormal.png";
inline constexpr char kTempoPointerOver[] = ":/skin/introover.png";
// ":/skin/butt0.png" .. ":/skin/butt5.png": the highlighted window buttons.
inline constexpr char kWindowButtonPattern[] = ":/skin/butt%1.png";

// Registers the embedded pictures; safe to call more than once.
void initResources();

}  // namespace tonvel::skin
