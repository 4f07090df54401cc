#pragma once
// Measures the drive C of each prefix in a thread of its own, so that a window shows the
// prefixes at once and their sizes as they come. The thread touches nothing but the folders it
// measures; each size reaches the receiver's thread through its event queue.
#include <QThread>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <vector>

class MesureTailles : public QThread {
  Q_OBJECT
 public:
  // `prefixes`: the prefix folders, in the rows' order.
  explicit MesureTailles(std::vector<std::filesystem::path> prefixes, QObject* parent = nullptr);
  // Stops the count under way and waits for the thread.
  ~MesureTailles() override;

 signals:
  // The drive C of prefix number `ligne` takes `taille` bytes on disk.
  void Mesuree(int ligne, quint64 taille);

 protected:
  void run() override;

 private:
  const std::vector<std::filesystem::path> prefixes_;
  std::atomic<bool> arret_{false};
};
