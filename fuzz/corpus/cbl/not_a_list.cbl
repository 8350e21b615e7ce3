not a list
