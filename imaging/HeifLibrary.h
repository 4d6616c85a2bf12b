#pragma once
// libheif, loaded the first time a HEIF photo is read rather than when the program starts. With it
// come the HEVC and AV1 codecs it is built with (x265, libde265, dav1d, aom), whose loading and
// relocation would otherwise lengthen every start of the client and the CLI, HEIF photo or not.
// Only the library's declarations are compiled in; its functions are called through Heif().

#include <libheif/heif.h>

// The libheif functions we call, each listed once.
#define UPLOADPIC_HEIF_FUNCTIONS(X)                                                                          \
    X(heif_init)                                                                                             \
    X(heif_context_alloc)                                                                                    \
    X(heif_context_free)                                                                                     \
    X(heif_context_read_from_reader)                                                                         \
    X(heif_context_read_from_memory_without_copy)                                                            \
    X(heif_context_get_primary_image_handle)                                                                 \
    X(heif_image_handle_release)                                                                             \
    X(heif_image_handle_get_width)                                                                           \
    X(heif_image_handle_get_height)                                                                          \
    X(heif_image_handle_get_nclx_color_profile)                                                              \
    X(heif_decoding_options_alloc)                                                                           \
    X(heif_decoding_options_free)                                                                            \
    X(heif_decode_image)                                                                                     \
    X(heif_image_release)                                                                                    \
    X(heif_image_get_colorspace)                                                                             \
    X(heif_image_get_chroma_format)                                                                          \
    X(heif_image_get_width)                                                                                  \
    X(heif_image_get_height)                                                                                 \
    X(heif_image_get_bits_per_pixel_range)                                                                   \
    X(heif_image_get_plane_readonly)                                                                         \
    X(heif_image_get_nclx_color_profile)                                                                     \
    X(heif_nclx_color_profile_free)

// The functions, typed as libheif's header declares them.
struct THeifLibrary {
#define UPLOADPIC_HEIF_MEMBER(name) decltype(&::name) name = nullptr; // NOLINT(bugprone-macro-parentheses)
    UPLOADPIC_HEIF_FUNCTIONS(UPLOADPIC_HEIF_MEMBER)
#undef UPLOADPIC_HEIF_MEMBER
};

// libheif, loaded and initialised (its codecs registered) on the first call, from any thread; later
// calls return the same functions, which may then be used from several threads at once.
// Throws std::runtime_error naming the reason when the library or one of the functions is missing.
const THeifLibrary &Heif();
