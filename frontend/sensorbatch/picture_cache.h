// The picture of a worker's jobs, read once for consecutive jobs on the same
// file: into memory of its own when one of them paints it (Glazet's defect
// map), else mapped from the file (pixel_buffer.h). A job that paints its
// picture gets a copy while later jobs still need the picture (or when the
// picture is mapped), else the read one itself, which is then forgotten: no
// job ever sees a painted picture.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "frontend/pictures/picture_loader.h"
#include "frontend/station/paths.h"

namespace sensor::batch {

class PictureCache {
 public:
  // How many jobs after the coming one read the same picture, and whether
  // the coming one or one of them paints it.
  void SetLaterReaders(std::size_t count, bool anyPaints) {
    laterReaders_ = count;
    anyPaints_ = anyPaints;
  }

  // The picture for the coming job; null when it cannot be loaded. Valid until
  // the next call.
  frontend::Picture* Get(const frontend::ResolvedPath& path, const frontend::PictureRequest& request,
                              bool paints);

 private:
  void Forget();

  // What the kept picture was read from and how (a raw frame's reading
  // depends on the run's mode, depth and layout).
  std::optional<std::string> path_;
  frontend::PictureRequest request_;
  std::optional<frontend::Picture> read_;
  std::optional<frontend::Picture> painted_;
  std::size_t laterReaders_ = 0;
  bool anyPaints_ = false;
};

}  // namespace sensor::batch
