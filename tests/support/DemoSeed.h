#pragma once
// The demo data of `photo-service --seed-demo`, as the tests name it. The values themselves are
// defined once, next to the seed (server/DemoData.h).

#include "server/DemoData.h"

inline constexpr const char *kDemoUser = DemoData::kUser;
inline constexpr const char *kDemoPassword = DemoData::kPassword;
inline constexpr const char *kDemoChineseUser = DemoData::kChineseUser;
inline constexpr const char *kDemoChinesePassword = DemoData::kChinesePassword;

inline constexpr const char *kDemoCompanyWithPhotos = DemoData::kCompanyWithPhotos; // 13 characters
inline constexpr const char *kDemoCompanyWithPhotosName = DemoData::kCompanyWithPhotosName;
inline constexpr const char *kDemoCompanyWithPhotosCustomerId = DemoData::kCompanyWithPhotosCustomerId;
inline constexpr int kDemoPhotoCount = DemoData::kCompanyWithPhotosPhotoCount;
inline constexpr int kDemoPhotoLimit = DemoData::kCompanyWithPhotosLimit;
inline constexpr int kDemoZoomWidth = DemoData::kCompanyWithPhotosZoomWidth;
inline constexpr int kDemoZoomHeight = DemoData::kCompanyWithPhotosZoomHeight;
inline constexpr int kDemoTypeCount = DemoData::kCompanyWithPhotosTypeCount;
// A type code of the demo trade that no seeded photo uses, so a test can add one photo of it.
inline constexpr const char *kDemoFreeTypeCode = DemoData::kCompanyWithPhotosFreeType;

inline constexpr const char *kDemoCompanyEmpty = DemoData::kCompanyEmpty;
inline constexpr int kDemoCompanyEmptyLimit = DemoData::kCompanyEmptyLimit;
inline constexpr int kDemoCompanyEmptyTypeCount = DemoData::kCompanyEmptyTypeCount;
inline constexpr const char *kDemoCompanyDisabled = DemoData::kCompanyDisabled;
inline constexpr const char *kUnknownCompany = DemoData::kUnknownCompany;
