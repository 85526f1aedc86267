# The window at twice the room's size and after a resize.
