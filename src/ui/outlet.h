// A reference from the panel to one control of its layout.
//
// An outlet the layout did not connect stands for an absent control: every operation through it does
// nothing and every query yields the toolkit interface's defaults (0, empty string, none). That rule lives
// here, once; code tests present() only where the panel itself decides on absence.
#pragma once

#include "ui/toolkit.h"

namespace ui {

template <class T>
class Outlet {
 public:
  Outlet() = default;

  void connect(T* control) { control_ = control; }
  void disconnect() { control_ = nullptr; }
  bool present() const { return control_ != nullptr; }
  // The connected control, or none.
  T* get() const { return control_; }

  T* operator->() const { return control_ ? control_ : &absent(); }
  T& operator*() const { return control_ ? *control_ : absent(); }

 private:
  // The interface's own defaults answer for a missing control; they keep no state.
  static T& absent() {
    static T none;
    return none;
  }

  T* control_ = nullptr;
};

}  // namespace ui
