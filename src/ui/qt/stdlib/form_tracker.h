#pragma once
// The forms a program has made, for Screen.Forms and Application.MainForm. Every form a
// program gets (its module form, TForm.Create) comes from the registered TForm factory, which
// is wrapped once so that each new form is noted; a freed form drops out by itself.

#include <vector>

namespace vorlan::script {
class Registry;
}

namespace vorlan::forms {
class Form;
}

namespace vorlan::stdlib {

// Wraps the factories of TForm and TMessageForm; a second call changes nothing.
void trackProgramForms(script::Registry& registry);

// The live forms in the order they were made.
std::vector<forms::Form*> programForms();

// The module form of the running program: the first live form whose handlers go to a live
// scripter; null when there is none.
forms::Form* mainProgramForm();

// The form whose window is active; null when none is.
forms::Form* activeProgramForm();

} // namespace vorlan::stdlib
