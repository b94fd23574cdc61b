#include "frontend/station/run_context.h"

#include "frontend/products/review_product.h"

namespace sensor::frontend {

Picture* RunContext::LoadBitmap() {
  PictureRequest request;
  if (mode_) request = mode_();
  request.TopBits = options_.TopBits;
  request.RawLayout = options_.RawLayout;
  request.Memory = paints_ ? PixelMemory::Own : PixelMemory::MappedFile;
  findings_.Mode = request;
  request_ = request;
  if (pictures_) {
    loaded_ = pictures_(options_.BMPFileIn, request, paints_);
  } else {
    bitmap_ = LoadPicture(options_.BMPFileIn, request);
    loaded_ = bitmap_ ? &*bitmap_ : nullptr;
  }
  if (loaded_ != nullptr && options_.Products.ReviewImage) {
    findings_.ReviewBackdrop = ReviewBackdropOf(*loaded_, request);
  }
  return loaded_;
}

}  // namespace sensor::frontend
