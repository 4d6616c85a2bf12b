#pragma once
// Why this folder exists: photos stored as a grid of separately coded tiles (as phones and cameras
// write large photos; a single HEVC picture may not exceed about 35 megapixels) are decoded whole by
// Debian 12's libheif 1.15: it assembles the whole picture at the codec's depth and turns it into
// 16-bit RGB before handing over a pixel, some ten bytes a pixel for a 10-bit photo, and it lays out
// a damaged grid at whatever size it finds. Here the grid's boxes are read and checked first
// (HeifGridPlan.h), then the tiles are decoded a band at a time, each handed to libheif as a file of
// its own (HeifWriter.h), and the JPEG is written from the band as it goes, turned upright on the way
// by the grid's rotation and mirroring: only one band of tiles is held.
//
// When it can go: libheif 1.19 decodes a grid's tiles one at a time itself
// (heif_image_handle_decode_image_tile); with that version in the distribution, this folder gives
// way to a band loop over that call, keeping the checks of the declared sizes.

#include "HeifGridPlan.h"

#include <QByteArray>
#include <QFile>

// The JPEG bytes, of the given quality, of the grid planned from file (PlanHeifGrid), upright.
// Throws std::runtime_error naming the reason when a tile cannot be read or decoded.
QByteArray HeifGridToJpeg(QFile &file, const THeifGrid &grid, int quality);
