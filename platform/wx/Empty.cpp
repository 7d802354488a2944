// Keeps the library non-empty while its folder has no sources.
