// Keeps the runs library non-empty before any operation is built.
