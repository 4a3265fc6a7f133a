/* An image without any resources. */
int zarn_empty_image_marker = 1;
