#pragma once
// The rules of the photo work, below both front ends: the windows and uploadpic-cli call these and
// nothing else decides them. Which inputs are accepted (login, company ID, photo file, type, note),
// whether another photo may be added, how a chosen image is prepared, the record an add or an edit sends, and
// filing a saved photo in the cache. Nothing here shows anything: a refused input comes back with the text
// the front end shows. Members live in PhotoWorkflow.cpp (checks, choices, records) and PhotoPreparation.cpp
// (images).

#include "contract/PictureService.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

class TDM_Main;
class TPhotoListModel;
struct TCurrentCompany;

namespace PhotoWorkflow {

// The input a refusal is about, so that a window can put the focus there.
enum class Input { None, UserName, Password, CompanyId, PhotoPath, PhotoType, Note };

// A refused input and the text that says why; no refusal when text is empty.
struct TInputProblem {
    Input input = Input::None;
    QString text;
    explicit operator bool() const { return !text.isEmpty(); }
};

// Login: a user name and a password are needed (both trimmed).
TInputProblem CheckLogin(const QString &user, const QString &password);
// The data module's login values for the next check: trimmed name and password, login header,
// not logged in yet.
void BeginLogin(TDM_Main &dm, const QString &user, const QString &password);

// Company query: the typed ID must not be blank and must have exactly 13 characters as typed.
TInputProblem CheckCompanyId(const QString &typed);
// The typed ID (trimmed) becomes the data module's company and the next request a company query.
void BeginCompanyQuery(TDM_Main &dm, const QString &typed);

// After a failed company query: the data module keeps nothing of the company worked on before (its
// identity, limits, types and rows), so no command can reach it by mistake.
void ForgetCompany(TDM_Main &dm);

// Whether the list holds fewer photos than the company's limit, and the text that refuses adding
// `adding` more photos before any editor opens (empty when they may be added): the limit would be
// passed, or the company has fewer unused photo types than photos to add.
bool MayAddPhoto(const TDM_Main &dm);
QString PhotoLimitProblem(const TDM_Main &dm, int adding = 1);

enum class EditMode { Add, Edit };

// The photo editor's checks, in order: a path is needed to add; a given path must name an existing
// image file (JPEG, HEIC/HEIF, PNG, WebP, TIFF or BMP) whose header can be read; a type must be chosen; the
// note (trimmed) must not be empty and must hold only characters the service can store (it keeps notes in
// GBK).
TInputProblem CheckPhotoInput(EditMode mode, const QString &path, bool typeChosen, const QString &note);
// The file part of those checks alone (a path is needed).
TInputProblem CheckPhotoFile(const QString &path);
// The type and note part alone.
TInputProblem CheckPhotoDetails(bool typeChosen, const QString &note);

// The text that refuses a damaged or unsupported photo file, naming the file and the reason.
QString UnusablePhotoText(const QString &path, const QString &reason);

// The type choice and the new photo's ID: PhotoTypeChoice.h.

// The two versions of a chosen photo as the service takes them.
struct TPreparedPhoto {
    QByteArray source;
    QByteArray small;
    QString sourceFile; // TempZip.jpg, or the chosen file when it was small enough
    QString smallFile;  // ZoomPhoto.jpg, or sourceFile when it was within the limits
    // Reduction steps that failed; the chosen file then stands in for what they would have written.
    QStringList failedSteps;
    // The upright pixels of both versions (their bytes: source.size(), small.size()).
    QSize sourceSize;
    QSize smallSize;
    bool hasImage() const { return !source.isEmpty() && !small.isEmpty(); }
};

// The smallest limits of the small version: lower limits (as a company may have) are raised to them.
inline constexpr int kMinSmallWidth = 640;
inline constexpr int kMinSmallHeight = 480;

// Turns a photo that is no JPEG into one (upright, "ConvertPhoto.jpg"), shrinks a large photo file, then
// reduces it to the limits (at least 640 x 480), writing the working files "TempZip.jpg" and "ZoomPhoto.jpg"
// in the program folder; the bytes are handed on as prepared. A photo that cannot be turned into a JPEG gives
// no image (nothing may be sent) and the reason in failedSteps.
TPreparedPhoto PreparePhoto(const QString &path, int maxWidth, int maxHeight);

// The record an add (photoId empty) or an edit sends: the company's identity, the type code, the
// trimmed note and, when photo holds an image, both versions.
TPictureInfo PhotoRecord(const TCurrentCompany &company, const QString &photoId, const QString &typeCode,
                         const QString &note, const TPreparedPhoto &photo);

// Files both versions of a saved photo in the cache, each written whole. Empty on success,
// otherwise the reason (also logged); an ID that names no plain file is never used as a file name.
QString FilePreparedPhoto(const QString &photoId, const TPreparedPhoto &photo);

} // namespace PhotoWorkflow
