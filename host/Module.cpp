// The module is the core library linked whole; it has no code of its own.
