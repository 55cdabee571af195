"""Heat-map report of the local analytics collector's files: see the `report` script beside this folder."""
