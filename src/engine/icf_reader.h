#pragma once
// Reader of the image-collection file (.icf): MenuImgs.icf and GameImgs.icf.
//
// File format (all integers little-endian):
//   Resource header: byte 0xFF, uint16 10, a zero-terminated name (any text),
//     uint16 memory flags, uint32 size of what follows (both unused). Any
//     other start is "Invalid stream format".
//   "TPF0", then one object:
//     [flags byte 0xF0..0xFF] [if flags & 2: an integer value, the child position]
//     short string class name "TPictureCollectionComponent"
//     short string object name (empty)
//     properties until a 0 byte, then child objects until a 0 byte (none).
//   A short string is one length byte then the text. A property is its name
//   as a short string, then one type byte and the value:
//     2 int8, 3 int16, 4 int32, 6 short string, 7 identifier (short string),
//     8 false, 9 true, 10 binary (uint32 length, bytes), 12 long string
//     (uint32 length, text), 14 collection.
//   Root properties: "List.ColorTable" (binary, exactly 1024 bytes: 256
//     entries of blue, green, red, 0) and "List" (collection).
//   Collection: per item an optional integer value (its index, ignored), the
//     byte 1, the item's properties, a 0 byte; after the last item a 0 byte.
//   Item properties (each may be absent, at its default; order is free):
//     Name (string), PatternWidth, PatternHeight, SkipWidth, SkipHeight
//     (integers), SystemMemory (boolean, false), Transparent (boolean, true),
//     TransparentColor (integer 0x00BBGGRR or a colour identifier such as
//     clFuchsia; 0), Picture.Data (binary).
//   Picture.Data: empty (no picture) or a short string naming the graphic
//     kind, then that kind's data:
//     "TDIB": a Windows bitmap without its 14-byte file header: a 40-byte
//       information header or a 12-byte core header, the three uint32 colour
//       masks when compression is 3, the colour table (4-byte entries, 3-byte
//       after a core header; used-colour count entries, or 2^bits when that
//       is 0 and bits <= 8; at most 256), then the rows: uncompressed
//       (bottom-up, or top-down for a negative height) or run-length coded
//       (1 = RLE8, 2 = RLE4). 1, 4, 8, 16, 24 and 32 bits per pixel. A header
//       size other than 12 or 40 is "DIB is invalid".
//     "TJPEGImage": uint32 length, then a JPEG file of that length.
//     "TPNGImage" (ours, for pictures with alpha): uint32 length, then a PNG
//       file of that length; drawn with per-pixel alpha instead of the key.
//
// Limits: pictures at most 4096 by 4096 and 64 MB decoded, all pictures of a
// file at most 256 MB, at most 65536 items. Every length is checked against
// what is left before anything is read or allocated.

#include <cstddef>
#include <cstdint>
#include <string>

namespace klv {

class PictureCollection;

class IcfReader {
 public:
  // Reads the stream into the (empty) collection, without uploading. Throws
  // DataError "<fileName>: <what is wrong>".
  static void Read(const uint8_t* data, size_t size, const std::string& fileName,
                   PictureCollection& into);
};

}  // namespace klv
