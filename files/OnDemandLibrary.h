#pragma once

#include <dlfcn.h>

// A C library that the host needs on some paths only (a server's cancel,
// printing), opened by its file name the first time one of its functions is
// asked for instead of being linked: a start that neither reads a server nor
// prints loads neither it nor the libraries it pulls in (Kerberos, LDAP,
// TLS), which made up most of the host's start. The library stays open to
// the end of the program. Safe to use from any thread.
class OnDemandLibrary {
public:
    // `file` as the dynamic loader looks it up: the library's soname.
    explicit constexpr OnDemandLibrary(const char* file) : file_(file) {}

    // Points `function` at the library's function `name` (declared by the
    // library's header: decltype(cupsAddOption)* for cupsAddOption); false,
    // and nullptr, when the library or the function cannot be found.
    template <typename Function>
    bool Bind(Function*& function, const char* name) const {
        void* library = Handle();
        function = library ? reinterpret_cast<Function*>(dlsym(library, name)) : nullptr;
        return function != nullptr;
    }

    const char* File() const { return file_; }

private:
    void* Handle() const {
        // dlopen counts and keeps what it opened, so opening again is only
        // a lookup; the handle is kept for the program's life.
        return dlopen(file_, RTLD_NOW | RTLD_LOCAL);
    }

    const char* file_;
};
