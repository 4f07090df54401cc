#pragma once
// Random choices for tests that build random trees, from a seed the test sets: the same seed
// gives the same tree.
#include <cstddef>
#include <random>
#include <vector>

class Tirages {
 protected:
  std::mt19937 alea;

  // A number from 0 to n - 1.
  std::size_t Hasard(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(alea); }
  // True once in `sur` times.
  bool Pile(std::size_t sur) { return Hasard(sur) == 0; }
  // One of `v`.
  template <typename T>
  const T& Un(const std::vector<T>& v) {
    return v[Hasard(v.size())];
  }
};
