// Messages a plug-in writes for the person running the host: through the log
// callback the host gave SetLogCallback, or, while it has given none, as a
// diagnostic line (ffglex::LogDiagnostic).
#pragma once

// Any time, on the thread the host calls plugMain on; a null text is sent as
// empty. The callback is given a text valid for the call only.
void LogToHost(const char* text);
