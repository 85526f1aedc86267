# The end-to-end editing session in the real window.
