KestrelFile2.0-TPL
# The sample road's template: a 7.5 m carriageway with 0.75 m shoulders, the cross slope from
# crossfall.hp, 1:1.5 fills with a 2 m berm every 6 m, cuts with a 0.6 m ditch and 1:1 slopes.
half_width = 3.75
cross_slope = -2
shoulder_width = 0.75
shoulder_slope = -4
fill_slopes = 1.5x6, 1.75
fill_berm_width = 2
fill_berm_slope = 0
ditch = 0.6, 0.6, 1, 1
cut_slopes = 1x8, 1.25
cut_berm_width = 2
cut_berm_slope = 0
pavement_thickness = 0.7
areas_to = finished
strip_depth = 0.3
slope_model = 1
