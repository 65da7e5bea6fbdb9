// The audible beep.
#ifndef VANTREL_PLATFORM_DESKTOP_API_BEEP_H_
#define VANTREL_PLATFORM_DESKTOP_API_BEEP_H_

namespace desktop_api {

// Rings the bell of the process's terminal when it has one; with none (a desktop session with
// no terminal, a service) it does nothing, as there is nothing to sound. Never blocks, never
// throws.
void Beep();

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_BEEP_H_
