#pragma once
// Errors raised inside the framework: they carry a fixed English message and
// reach the game's error box; the game does not catch them itself.

#include <stdexcept>
#include <string>

namespace klv {

class KlvError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The game cannot go on at all (it has no way left to show its picture): the
// program says why and ends.
class FatalError : public KlvError {
 public:
  using KlvError::KlvError;
};

// A damaged or unreadable data file; the message names the file and the fault.
class DataError : public KlvError {
 public:
  using KlvError::KlvError;
};

}  // namespace klv
