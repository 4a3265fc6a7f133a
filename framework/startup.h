// Starting the framework: every framework class registered for form descriptions, and
// the application and screen objects. This unit sits above the controls and forms it
// registers, so none of them needs to know the others.
#pragma once

// Registers every control, form, dialog and timer class of the framework with the class
// registry so form descriptions can create them. Safe to call more than once.
void RegisterFrameworkClasses();

// Registers the framework's classes, lets form descriptions set the parents of the
// controls they create, and creates Application and Screen (once).
void InitApplication();

// Creates Application and Screen (once) and registers no class: for a program that reads
// no form description, which then links none of the controls it does not use itself.
void CreateApplication();
