// The program's one object of each library class it uses: a Registry, a StringHandler and an
// ErrorHandler, each created through the component layer on first use and kept until the process
// ends. The window, the data source store and the command line share them.
//
// Each accessor throws component::Error (429, 48) when its library cannot be loaded; a later call
// tries again.
#ifndef VANTREL_VANTREL_CORE_PROGRAM_OBJECTS_H_
#define VANTREL_VANTREL_CORE_PROGRAM_OBJECTS_H_

#include "corbenna/error_handler.h"
#include "corbenna/registry.h"
#include "corbenna/string_handler.h"

namespace vantrel {

// Tells the component layer which component libraries the program ships, so that a class can be
// created by its identifier as well as by its name. Call once at start-up.
void DeclareComponentLibraries();

corbenna::_Registry& ProgramRegistry();
corbenna::_StringHandler& ProgramStrings();
// Created on first use with its properties at their defaults: it logs and shows no box.
corbenna::_ErrorHandler& ProgramErrorHandler();

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_PROGRAM_OBJECTS_H_
