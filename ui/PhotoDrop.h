#pragma once
// What a drop or a paste hands the photo commands: the one image file it names, or the image it
// carries, saved as a working JPEG in the program folder. Whether a file is a photo is the editor's
// own check, so a drop takes exactly what the editor takes.

#include <QImage>
#include <QString>
#include <QStringList>

class QMimeData;

namespace PhotoDrop {

// The working file of a pasted or dropped image, in the program folder; removed once the editor
// is done with it and when the user leaves.
inline constexpr char kPastedFileName[] = "ClipboardPhoto.jpg";

QString OneAtATimeText(); // several files dropped
QString NoCompanyText();  // dropped or pasted while no company is shown
QString NoImageText();    // pasted without an image or a file on the clipboard

// What a drag or the clipboard carries, copied out of the data so it can be handled after the drop.
struct TPhotoData {
    QStringList files; // local files named by the data's URLs; URLs of other kinds are left out
    QImage image;      // image data, when there is some
    bool empty() const { return files.isEmpty() && image.isNull(); }
};
TPhotoData Read(const QMimeData *data);

// The photo file that data gives the editor, or why it gives none.
struct TPhotoPath {
    QString path;
    bool workingFile = false; // path is the working file written for an image without a file
    QString refusal;          // shown instead, with the icon below
    bool warning = false;
};
// Several files are refused (one photo is added at a time); an image without a file is saved as the
// working file; the file must pass the editor's own check.
TPhotoPath PhotoPath(const TPhotoData &data);

// The editor's refusal of the file at path, empty when the editor takes it.
QString FileProblem(const QString &path);

// Writes image as the working file (transparent parts on white), whole. Its path, or an empty string
// and the reason in error.
QString SavePastedImage(const QImage &image, QString &error);

} // namespace PhotoDrop
