#include "frontend/sensorbatch/picture_cache.h"

namespace sensor::batch {

namespace {

bool SameReading(const frontend::PictureRequest& a, const frontend::PictureRequest& b) {
  return a.Mode.BayerMode == b.Mode.BayerMode && a.Mode.SensorBpp == b.Mode.SensorBpp &&
         a.RawLayout == b.RawLayout;
}

}  // namespace

frontend::LoadedBitmap* PictureCache::Get(const frontend::ResolvedPath& path,
                                          const frontend::PictureRequest& request, bool paints) {
  painted_.reset();
  if (!read_ || path_ != path || !SameReading(request_, request)) {
    read_.reset();
    path_ = path;
    request_ = request;
    read_ = frontend::LoadPicture(path, request);
    if (!read_) return nullptr;
  }
  if (!paints) return &*read_;
  if (laterReaders_ > 0) {
    painted_ = frontend::CopyBitmap(*read_);
    if (!painted_) painted_ = frontend::LoadPicture(path, request);  // no room for a copy
    return painted_ ? &*painted_ : nullptr;
  }
  painted_ = std::move(read_);
  read_.reset();
  path_.reset();
  return &*painted_;
}

}  // namespace sensor::batch
