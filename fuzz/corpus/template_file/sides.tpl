KestrelFile2.0-TPL
left.fill_slopes = 1.5x2, 1.75
right.ditch = 0.6, 0.6, 0, 1
areas_to = subgrade
pavement_thickness = 0.5
