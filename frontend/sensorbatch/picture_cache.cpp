#include "frontend/sensorbatch/picture_cache.h"

namespace sensor::batch {

namespace {

bool SameReading(const frontend::PictureRequest& a, const frontend::PictureRequest& b) {
  return a.BayerMode == b.BayerMode && a.SensorBpp == b.SensorBpp && a.TopBits == b.TopBits &&
         a.RawLayout == b.RawLayout;
}

}  // namespace

void PictureCache::Forget() {
  read_.reset();
  path_.reset();
}

frontend::Picture* PictureCache::Get(const frontend::ResolvedPath& path, const frontend::PictureRequest& request,
                                     bool paints) {
  painted_.reset();
  // A mapped picture whose file changed since is read anew, as a program of
  // its own would read it.
  if (read_ && !read_->Pixels.Intact()) Forget();
  if (!read_ || path_ != path || !SameReading(request_, request)) {
    read_.reset();
    path_ = path;
    request_ = request;
    frontend::PictureRequest shared = request;
    shared.Memory = anyPaints_ ? frontend::PixelMemory::Own : frontend::PixelMemory::MappedFile;
    read_ = frontend::LoadPicture(path, shared);
    if (!read_) return nullptr;
  }
  if (!paints) return &*read_;
  if (laterReaders_ > 0 || read_->Pixels.Mapped()) {
    // Painting a mapped picture would copy it a small page at a time on the
    // first writes: one copy of its own costs less.
    painted_ = frontend::CopyPicture(*read_);
    if (painted_ && !read_->Pixels.Intact()) painted_.reset();  // the file changed during the copy
    if (laterReaders_ == 0) Forget();
    if (!painted_) {  // no room for a copy, or a changed file
      frontend::PictureRequest own = request;
      own.Memory = frontend::PixelMemory::Own;
      painted_ = frontend::LoadPicture(path, own);
    }
    return painted_ ? &*painted_ : nullptr;
  }
  painted_ = std::move(read_);
  Forget();
  return &*painted_;
}

}  // namespace sensor::batch
