// The main window's background ("skin"): a plain colour or a picture, broadcast to the windows
// that show it, and remembered in "main.ini" of the user's folder so that the next start shows
// the same.
//
// "main.ini", section [SKINIMAGE]:
//   FLAGS  "0" the default picture (after a reset), "1" a picture, "2" a colour
//   IMAGE  the picture: a path inside the skin folder ("common/background.png") or the user's
//          own picture, copied into the user's folder ("<user folder>/skin/...")
//   COLOR  the colour, "#AARRGGBB" (with FLAGS "2")
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>
#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace qx::settings {

struct SkinChangedParam {
    bool colour = false;  // true: a plain colour; false: a picture
    quint32 argb = 0;     // the colour (0xAARRGGBB)
    QString picture;      // the picture: skin-relative or absolute path
};

inline constexpr const char* kDefaultSkinPicture = "common/background.png";

// Passes each background change to every receiver (the main window).
class SkinObserver : public QObject {
    Q_OBJECT
  public:
    static SkinObserver& Instance();
    void Broadcast(const SkinChangedParam& param) { emit SkinChanged(param); }
  signals:
    void SkinChanged(const qx::settings::SkinChangedParam& param);
};

std::filesystem::path SkinIniPath();  // UserFolder() / "main.ini"
// The folder the user's own pictures are copied into: UserFolder() / "skin".
std::filesystem::path UserSkinFolder();

// Remembers a choice (FLAGS, IMAGE, COLOR as above). False when "main.ini" can't be written.
bool StoreSkinChoice(const SkinChangedParam& param);
// The remembered choice; nothing when there is none, or when it names no usable colour or
// picture (a missing or unreadable file, a path leaving the skin folder).
std::optional<SkinChangedParam> ReadSkinChoice();

// The file a picture path names: a skin-relative path inside the skin folder, or an absolute
// path. Empty for a relative path that leaves the skin folder.
QString SkinPictureFile(const QString& picture);
// Whether the file is a picture the program can show (its content, not its name, decides).
bool IsUsablePicture(const QString& file);

// Copies the user's picture into UserSkinFolder() (a new name each time, the original's
// extension kept) and returns the copy's path. Empty with `error` set when the file is not a
// picture or can't be copied.
enum class ImportError { None, NotAPicture, CopyFailed };
QString ImportUserPicture(const QString& source, ImportError* error = nullptr);

// Shows a background on the main window's root control: the colour (no picture), or the
// picture stretched over it (colour 0). The page's own panels let it show through.
void ApplySkinBackground(QWidget* root, const SkinChangedParam& param);

// "#AARRGGBB" or "#RRGGBB" (opaque) to a colour; nothing when the text is not one.
std::optional<quint32> ParseArgb(const QString& text);

}  // namespace qx::settings
