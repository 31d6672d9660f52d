"""Asset generator: see tools/README.md."""
