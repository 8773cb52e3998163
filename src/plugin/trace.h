// Diagnostic trace hooks. Every host-facing operation and the panel's main steps call them; they produce
// nothing. The call sites and their strings stay so that a diagnostic build can route them somewhere.
#pragma once

extern "C" {
void _PDEProlog(const void* self, const char* format);
void _PDEEpilog(const void* self, const char* format);
void _PDELog(const void* self, const char* format);
}

// Values for the format's placeholders are accepted and not evaluated further.
template <class First, class... Rest>
inline void _PDEProlog(const void* self, const char* format, const First&, const Rest&...) {
  _PDEProlog(self, format);
}
template <class First, class... Rest>
inline void _PDEEpilog(const void* self, const char* format, const First&, const Rest&...) {
  _PDEEpilog(self, format);
}
template <class First, class... Rest>
inline void _PDELog(const void* self, const char* format, const First&, const Rest&...) {
  _PDELog(self, format);
}

// Traces an operation's prologue now and its epilogue when the scope ends, so that every return of the
// operation traces it once.
class TraceScope {
 public:
  TraceScope(const void* self, const char* format) : self_(self), format_(format) { _PDEProlog(self, format); }
  ~TraceScope() { _PDEEpilog(self_, format_); }
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

 private:
  const void* self_;
  const char* format_;
};
