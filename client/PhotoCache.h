#pragma once
// The photo cache: its folder, the file names of a photo's small and source versions in the cache folder, and
// the check that keeps photo IDs from the server from naming anything but a file inside that folder.

#include <QString>

namespace PhotoCache {

// The cache folder: the program folder's "Photo/".
QString Folder();
// folder + photoId + "_0.jpg" (small version) and + "_1.jpg" (source version).
QString SmallFile(const QString &folder, const QString &photoId);
QString SourceFile(const QString &folder, const QString &photoId);

// True when the photo ID can be part of a file name in the cache folder: not empty, not "." or "..",
// no "/", "\" or NUL. Other IDs must never reach the file system.
bool IsPlainFileName(const QString &photoId);
// Logs that a photo ID was kept away from the cache.
void LogUnsafePhotoId(const QString &photoId);

// Logs that a photo's version was not filed in the cache, and why.
void LogNotFiled(const QString &photoId, const QString &reason);

// True when path names an existing file (a folder of that name does not count).
bool Exists(const QString &path);

} // namespace PhotoCache
