#pragma once
// The demo data that `photo-service --seed-demo` creates: users, companies, photo types and photos.
// One definition serves the seed and the tests that run against a seeded service.

#include <array>

namespace DemoData {

// Users checked at login.
inline constexpr char kUser[] = "demo";
inline constexpr char kPassword[] = "demo123";
inline constexpr char kChineseUser[] = "张工";
inline constexpr char kChinesePassword[] = "密码2024";

// A company with photos of several types (catering trade "CY").
inline constexpr char kCompanyWithPhotos[] = "3101150012345";
inline constexpr char kCompanyWithPhotosName[] = "上海明珠餐饮有限公司";
inline constexpr char kCompanyWithPhotosCustomerId[] = "KH310115001";
inline constexpr char kCompanyWithPhotosSoftwareId[] = "RJ73920451";
inline constexpr char kCompanyWithPhotosDeviceId[] = "SB00017";
inline constexpr char kCompanyWithPhotosType[] = "310";
inline constexpr int kCompanyWithPhotosLimit = 6;
inline constexpr int kCompanyWithPhotosZoomWidth = 800;
inline constexpr int kCompanyWithPhotosZoomHeight = 600;
inline constexpr int kCompanyWithPhotosPhotoCount = 4;
inline constexpr int kCompanyWithPhotosTypeCount = 5;      // entries of the catering trade's type list
inline constexpr char kCompanyWithPhotosFreeType[] = "05"; // a type of its trade that no photo has yet

// A company without photos (retail trade "LS").
inline constexpr char kCompanyEmpty[] = "4403050067890";
inline constexpr char kCompanyEmptyName[] = "深圳华南五金商行";
inline constexpr char kCompanyEmptyCustomerId[] = "KH440305006";
inline constexpr int kCompanyEmptyLimit = 3;
inline constexpr int kCompanyEmptyZoomWidth = 1024;
inline constexpr int kCompanyEmptyZoomHeight = 768;
inline constexpr int kCompanyEmptyTypeCount = 4;

// A deactivated company (lodging trade "ZS").
inline constexpr char kCompanyDisabled[] = "1101080099999";
inline constexpr char kCompanyDisabledName[] = "北京旧城旅馆";

// A well-formed ID that no company has.
inline constexpr char kUnknownCompany[] = "9999999999999";

// The seeded photos of kCompanyWithPhotos, all dated kPhotoDate: ID = "W" + customer ID + date + type.
inline constexpr char kPhotoDate[] = "20240315";
struct Photo {
    const char *typeCode;
    const char *note;
};
inline constexpr std::array<Photo, kCompanyWithPhotosPhotoCount> kPhotos{{
    {"01", "门头正面,招牌清晰"},
    {"02", "营业执照副本"},
    {"03", "后厨操作间全景"},
    {"04", "大堂就餐区"},
}};

} // namespace DemoData
