#include "kits/qt/MesureTailles.h"

#include "prefixes/Taille.h"

MesureTailles::MesureTailles(std::vector<std::filesystem::path> prefixes, QObject* parent)
    : QThread(parent), prefixes_(std::move(prefixes)) {}

MesureTailles::~MesureTailles() {
  arret_ = true;
  wait();
}

void MesureTailles::run() {
  for (std::size_t i = 0; i < prefixes_.size(); ++i) {
    const std::uint64_t taille = TailleSurDisque(prefixes_[i] / "drive_c", &arret_);
    if (arret_) return;  // a part of the size only
    emit Mesuree(static_cast<int>(i), taille);
  }
}
