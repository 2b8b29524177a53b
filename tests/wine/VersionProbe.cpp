// A library with nothing in it but its version resource, standing in for the files the report looks at.
extern "C" __declspec(dllexport) int tarnwickVersionProbe() { return 1; }
