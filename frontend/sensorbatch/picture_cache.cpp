#include "frontend/sensorbatch/picture_cache.h"

namespace sensor::batch {

frontend::LoadedBitmap* PictureCache::Get(const frontend::ResolvedPath& path, bool paints) {
  painted_.reset();
  if (!read_ || path_ != path) {
    read_.reset();
    path_ = path;
    read_ = frontend::LoadBitmapFile(path);
    if (!read_) return nullptr;
  }
  if (!paints) return &*read_;
  if (laterReaders_ > 0) {
    painted_ = frontend::CopyBitmap(*read_);
    if (!painted_) painted_ = frontend::LoadBitmapFile(path);  // no room for a copy
    return painted_ ? &*painted_ : nullptr;
  }
  painted_ = std::move(read_);
  read_.reset();
  path_.reset();
  return &*painted_;
}

}  // namespace sensor::batch
