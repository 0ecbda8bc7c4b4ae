// Filled in by the next step.
